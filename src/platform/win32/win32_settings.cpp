#include "platform/win32/win32_platform.h"

namespace pelkrin::win32 {

namespace {

HKEY ToHkey(RegKey key) { return WidenHandle<HKEY>(key); }
RegKey FromHkey(HKEY key) { return NarrowHandle(key); }

}  // namespace

// ---- Private-profile files ----

std::string Win32ProfileFile::Read(const std::string& path, const std::string& section,
                                   const std::string& key, const std::string& fallback,
                                   std::size_t buffer_chars) {
  if (buffer_chars == 0) return {};
  std::string buffer(buffer_chars, '\0');
  const DWORD copied =
      ::GetPrivateProfileStringA(section.c_str(), key.c_str(), fallback.c_str(), buffer.data(),
                                 static_cast<DWORD>(buffer_chars), path.c_str());
  buffer.resize(copied < buffer_chars ? copied : buffer_chars - 1);
  return buffer;
}

bool Win32ProfileFile::Write(const std::string& path, const std::string& section,
                             const std::string& key, const std::string& value) {
  return ::WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path.c_str()) !=
         FALSE;
}

// ---- Registry ----

long Win32Registry::OpenKey(RegKey root, const std::string& path, std::uint32_t access,
                            RegKey* key) {
  if (!key) return ERROR_INVALID_PARAMETER;
  HKEY opened = nullptr;
  const LONG error = ::RegOpenKeyExA(ToHkey(root), path.c_str(), 0, access, &opened);
  if (error == ERROR_SUCCESS) *key = FromHkey(opened);
  return error;
}

long Win32Registry::CreateKey(RegKey root, const std::string& path, std::uint32_t access,
                              RegKey* key) {
  if (!key) return ERROR_INVALID_PARAMETER;
  HKEY created = nullptr;
  const LONG error = ::RegCreateKeyExA(ToHkey(root), path.c_str(), 0, nullptr,
                                       REG_OPTION_NON_VOLATILE, access, nullptr, &created, nullptr);
  if (error == ERROR_SUCCESS) *key = FromHkey(created);
  return error;
}

long Win32Registry::QueryValue(RegKey key, const std::string& name, std::string* data,
                               std::uint32_t* size) {
  if (!size) return ERROR_INVALID_PARAMETER;
  DWORD type = 0;
  DWORD bytes = data ? *size : 0;
  if (!data) {
    const LONG error =
        ::RegQueryValueExA(ToHkey(key), name.c_str(), nullptr, &type, nullptr, &bytes);
    if (error == ERROR_SUCCESS) *size = bytes;
    return error;
  }
  std::string buffer(bytes, '\0');
  const LONG error = ::RegQueryValueExA(ToHkey(key), name.c_str(), nullptr, &type,
                                        reinterpret_cast<BYTE*>(buffer.data()), &bytes);
  if (error == ERROR_SUCCESS) {
    buffer.resize(bytes < buffer.size() ? bytes : buffer.size());
    *data = std::move(buffer);
    *size = bytes;
  } else if (error == ERROR_MORE_DATA) {
    *size = bytes;  // what it takes
  }
  return error;
}

long Win32Registry::SetStringValue(RegKey key, const std::string& name, const std::string& text) {
  return ::RegSetValueExA(ToHkey(key), name.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(text.size() + 1));
}

long Win32Registry::DeleteValue(RegKey key, const std::string& name) {
  return ::RegDeleteValueA(ToHkey(key), name.c_str());
}

long Win32Registry::DeleteKey(RegKey key, const std::string& subkey) {
  return ::RegDeleteKeyA(ToHkey(key), subkey.c_str());
}

long Win32Registry::CloseKey(RegKey key) { return ::RegCloseKey(ToHkey(key)); }

}  // namespace pelkrin::win32
