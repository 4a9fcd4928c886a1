// The engine's session: named aliases (standard aliases naming a directory of table
// files, SQL aliases naming one SQLite database file), the configuration mode that
// decides where new aliases live (this process only, or a small persistent store in the
// user's configuration directory), and the databases that are open.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "framework/core/Component.h"
#include "framework/core/Sets.h"
#include "framework/core/TypInfo.h"

namespace fw {

class TDatabase;
class TStrings;

enum TConfigModeItem { cfmVirtual, cfmPersistent, cfmSession };
FW_ENUM_INFO(TConfigModeItem, "cfmVirtual", "cfmPersistent", "cfmSession")
using TConfigMode = TSet<TConfigModeItem>;

/// Driver name of standard aliases (directories of table files).
inline constexpr const char* szCFGDBSTANDARD = "STANDARD";

class TSession : public TComponent {
  FW_CLASS(TSession)
 public:
  explicit TSession(TComponent* owner);
  /// Closes and frees the databases that the session created itself.
  ~TSession() override;

  /// Where AddAlias and DeleteAlias act and which aliases are seen: cfmSession alone
  /// means aliases of this process only; with cfmPersistent, aliases of the store.
  /// The default is all three modes.
  TConfigMode GetConfigMode() const { return FConfigMode; }
  void SetConfigMode(TConfigMode mode) { FConfigMode = mode; }

  /// Whether an alias of that name (case-insensitive) exists, stored or of this session.
  bool IsAlias(const std::string& name) const;
  /// Adds a standard alias: PATH = `path`, DEFAULT DRIVER = `defaultDriver`.
  void AddStandardAlias(const std::string& name, const std::string& path, const std::string& defaultDriver);
  /// Adds an alias with a driver ("STANDARD", "SQLITE") and "NAME=VALUE" parameters.
  void AddAlias(const std::string& name, const std::string& driver, const std::vector<std::string>& params);
  void DeleteAlias(const std::string& name);
  std::vector<std::string> GetAliasNames() const;
  void GetAliasNames(TStrings* list) const;
  /// The driver of an alias ("STANDARD" for a standard alias); raises for an unknown one.
  std::string GetAliasDriverName(const std::string& name) const;
  /// The "NAME=VALUE" parameters of an alias; raises for an unknown one.
  std::vector<std::string> GetAliasParams(const std::string& name) const;
  /// The file of the persistent alias store: $QOR_ALIAS_STORE when set, else
  /// $XDG_CONFIG_HOME/qorlookup/aliases.conf, else ~/.config/qorlookup/aliases.conf.
  static std::string AliasStorePath();

  // Databases of the session.
  int GetDatabaseCount() const { return static_cast<int>(FDatabases.size()); }
  TDatabase* GetDatabase(int index) const;
  /// The database of that DatabaseName (case-insensitive), or null.
  TDatabase* FindDatabase(const std::string& name) const;
  /// Finds the database of that name, or creates a temporary one for the alias of that
  /// name; connects it and counts one more user.
  TDatabase* OpenDatabase(const std::string& name);
  /// Counts one user less; a temporary database without users is freed.
  void CloseDatabase(TDatabase* database);
  void AddDatabase(TDatabase* database);
  void RemoveDatabase(TDatabase* database);

 private:
  struct TAlias {
    std::string Name, Driver;
    std::vector<std::string> Params;
  };
  struct TStoreCache;
  /// The aliases of the store, read once and read again only when its file changed
  /// (another path, inode, size or modification time).
  const std::vector<TAlias>& LoadStore() const;
  /// The stored alias of that name (case-insensitive), or null.
  const TAlias* FindStoredAlias(const std::string& name) const;
  void SaveStore(std::vector<TAlias> aliases) const;
  const TAlias* FindSessionAlias(const std::string& name) const;
  bool FindAlias(const std::string& name, TAlias& out) const;

  TConfigMode FConfigMode{cfmVirtual, cfmPersistent, cfmSession};
  std::vector<TAlias> FSessionAliases;
  std::vector<TDatabase*> FDatabases;
  std::unique_ptr<TStoreCache> FStore;
};

/// The default session of the process, created on first use.
TSession* Session();

}  // namespace fw
