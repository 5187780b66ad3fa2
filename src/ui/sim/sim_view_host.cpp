#include "ui/sim/sim_view_host.h"

#include <stdexcept>

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

std::unique_ptr<FormView> SimViewHost::CreateView(Form&) {
  ++views_requested_;
  return nullptr;
}

MenuItem* SimViewHost::PopupMenu(MenuItem& menu, const MenuItem* default_item,
                                 const std::function<void(MenuItem&)>& on_submenu_open) {
  std::string name;
  if (!choices_.empty()) {
    name = std::move(choices_.front());
    choices_.pop_front();
  }
  menus_shown_.push_back(MenuShown{&menu, default_item, {}});
  const std::size_t shown = menus_shown_.size() - 1;
  if (name.empty()) return nullptr;
  MenuItem* chosen = Descend(menu, name, on_submenu_open);
  if (!chosen) throw std::invalid_argument("the menu has no item named \"" + name + "\"");
  if (!chosen->Enabled() || chosen->IsSeparator() || !chosen->Children().empty()) return nullptr;
  menus_shown_[shown].chosen = name;
  return chosen;
}

}  // namespace pelkrin::sim
