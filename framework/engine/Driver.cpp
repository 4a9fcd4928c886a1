// The registry of drivers by name, with the built-in drivers registered before first use.
#include "framework/engine/Driver.h"

#include <map>

#include "framework/core/Text.h"
#include "framework/engine/drivers/sqlite/SQLiteDriver.h"

namespace fw {

namespace {

// The drivers by folded name.
std::map<std::string, std::shared_ptr<const TDriver>>& Registry() {
  static std::map<std::string, std::shared_ptr<const TDriver>> drivers = [] {
    std::map<std::string, std::shared_ptr<const TDriver>> builtIn;
    for (auto& [name, driver] : SQLiteDrivers()) builtIn[CaseFold(name)] = std::move(driver);
    return builtIn;
  }();
  return drivers;
}

}  // namespace

void RegisterDriver(const std::string& name, std::shared_ptr<const TDriver> driver) {
  if (driver)
    Registry()[CaseFold(name)] = std::move(driver);
  else
    Registry().erase(CaseFold(name));
}

const TDriver* FindDriver(const std::string& name) {
  auto& drivers = Registry();
  auto it = drivers.find(CaseFold(name));
  return it == drivers.end() ? nullptr : it->second.get();
}

}  // namespace fw
