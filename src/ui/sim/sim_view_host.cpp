#include "ui/sim/sim_view_host.h"

#include <algorithm>
#include <stdexcept>

#include "ui/form.h"

namespace pelkrin::sim {
namespace {

// The items from `item` down to the one named `name`, if it is there.
bool FindPath(MenuItem& item, const std::string& name, std::vector<MenuItem*>& path) {
  path.push_back(&item);
  if (item.Name() == name) return true;
  for (const auto& child : item.Children())
    if (FindPath(*child, name, path)) return true;
  path.pop_back();
  return false;
}

// Follows the path to the item named `name` below `opened` (a menu already open), opening each
// submenu on the way; opening may rebuild a submenu, so the path is looked up again after each.
// When the item is not there yet, opens the submenus one by one, as a user looking for it does.
MenuItem* Descend(MenuItem& opened, const std::string& name,
                  const std::function<void(MenuItem&)>& on_submenu_open) {
  MenuItem* current = &opened;
  for (;;) {
    std::vector<MenuItem*> path;
    if (!FindPath(*current, name, path)) break;
    if (path.size() == 1) return current;
    if (path.size() == 2) return path[1];
    current = path[1];
    if (on_submenu_open) on_submenu_open(*current);
  }
  for (std::size_t i = 0; i < current->Children().size(); ++i) {
    MenuItem& child = *current->Children()[i];
    if (child.Children().empty()) continue;
    if (on_submenu_open) on_submenu_open(child);
    if (MenuItem* found = Descend(child, name, on_submenu_open)) return found;
  }
  return nullptr;
}

}  // namespace

class SimFormView : public FormView, public FormSink {
 public:
  SimFormView(SimViewHost& host, Form& form, Hwnd handle)
      : host_(host), form_(form), name_(form.Name()), handle_(handle) {
    form_.SetSink(this);
  }
  ~SimFormView() override {
    form_.SetSink(nullptr);
    host_.ViewDestroyed(this, name_);
  }

  Hwnd Handle() const override { return handle_; }

  // The program in front shows a window: the window becomes the active one.
  void FormVisibilityChanged(bool visible) override {
    if (visible) form_.Activated();
  }
  void FormWindowStateChanged(int) override {}
  void FormMoved() override {}
  void FormIconChanged() override {}
  void FormMousePointerChanged() override {}

 private:
  SimViewHost& host_;
  Form& form_;
  std::string name_;
  Hwnd handle_;
};

std::unique_ptr<FormView> SimViewHost::CreateView(Form& form) {
  ++views_requested_;
  auto view = std::make_unique<SimFormView>(*this, form, next_view_handle_);
  next_view_handle_ += 0x10;
  views_.emplace_back(&form, view.get());
  return view;
}

void SimViewHost::ViewDestroyed(const FormView* view, const std::string& form_name) {
  std::erase_if(views_, [view](const auto& entry) { return entry.second == view; });
  if (std::find(handling_.begin(), handling_.end(), view) != handling_.end())
    destroyed_inside_.push_back(form_name);
}

void SimViewHost::DeliverInput(Form& form, const std::function<void()>& input) {
  const auto found = std::find_if(views_.begin(), views_.end(),
                                  [&form](const auto& entry) { return entry.first == &form; });
  if (found == views_.end()) {
    input();  // no window: nothing can be destroyed under it
    return;
  }
  handling_.push_back(found->second);
  struct Done {
    std::vector<const FormView*>& handling;
    ~Done() { handling.pop_back(); }
  } done{handling_};
  input();
}

MenuItem* SimViewHost::TrayIconMenu(const TrayIconId& icon, MenuItem& menu,
                                    const MenuItem* default_item,
                                    const std::function<void(MenuItem&)>& on_submenu_open) {
  // The shown record is the last one PopupMenu adds; mark it once PopupMenu returns (or throws).
  const std::size_t index = menus_shown_.size();
  struct Mark {
    std::vector<MenuShown>& shown;
    std::size_t index;
    TrayIconId icon;
    ~Mark() {
      if (index < shown.size()) shown[index].tray_icon = icon;
    }
  } mark{menus_shown_, index, icon};
  return PopupMenu(menu, default_item, on_submenu_open);
}

MenuItem* SimViewHost::PopupMenu(MenuItem& menu, const MenuItem* default_item,
                                 const std::function<void(MenuItem&)>& on_submenu_open) {
  std::string name;
  if (!choices_.empty()) {
    name = std::move(choices_.front());
    choices_.pop_front();
  }
  menus_shown_.push_back(MenuShown{&menu, default_item, {}, std::nullopt});
  const std::size_t shown = menus_shown_.size() - 1;
  if (name.empty()) return nullptr;
  MenuItem* chosen = Descend(menu, name, on_submenu_open);
  if (!chosen) throw std::invalid_argument("the menu has no item named \"" + name + "\"");
  if (!chosen->Enabled() || chosen->IsSeparator() || !chosen->Children().empty()) return nullptr;
  menus_shown_[shown].chosen = name;
  return chosen;
}

}  // namespace pelkrin::sim
