// Tests of the engine session: aliases in each configuration mode, the persistent alias
// store (its text format, corrupt and unreadable stores), alias errors and the list of
// databases.
#include "framework/engine/Session.h"

#include <gtest/gtest.h>

#include "tests/support/ExpectError.h"
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "framework/core/Exceptions.h"
#include "framework/core/Strings.h"
#include "framework/engine/Database.h"

namespace {

namespace fs = std::filesystem;
using fw::cfmPersistent;
using fw::cfmSession;
using fw::cfmVirtual;
using fw::TConfigMode;
using fw::TSession;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

// Keeps an environment variable and puts it back afterwards.
class TEnvKeeper {
 public:
  explicit TEnvKeeper(const char* name) : FName(name) {
    if (const char* v = std::getenv(name)) {
      FHad = true;
      FValue = v;
    }
  }
  ~TEnvKeeper() {
    if (FHad)
      ::setenv(FName, FValue.c_str(), 1);
    else
      ::unsetenv(FName);
  }

 private:
  const char* FName;
  bool FHad = false;
  std::string FValue;
};

// Points the alias store at a file in a fresh temporary directory (in a subdirectory that
// does not exist yet, so the first write has to create it).
class SessionStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string templ = (fs::temp_directory_path() / "qor-session-XXXXXX").string();
    ASSERT_NE(::mkdtemp(templ.data()), nullptr);
    FDir = templ;
    FStore = FDir + "/config/aliases.conf";
    ::setenv("QOR_ALIAS_STORE", FStore.c_str(), 1);
  }
  void TearDown() override {
    std::error_code ec;
    fs::permissions(FDir, fs::perms::owner_all, fs::perm_options::add, ec);
    if (fs::exists(FStore, ec)) fs::permissions(FStore, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(FDir, ec);
  }
  // Writes the store by hand.
  void PutStore(const std::string& text) {
    fs::create_directories(fs::path(FStore).parent_path());
    WriteFile(FStore, text);
  }
  std::vector<std::string> DirEntries() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(fs::path(FStore).parent_path()))
      names.push_back(e.path().filename().string());
    return names;
  }

  TEnvKeeper FKeepStore{"QOR_ALIAS_STORE"};
  std::string FDir, FStore;
};

// ---- Configuration modes ----------------------------------------------------------

TEST_F(SessionStoreTest, SessionAliasIsInvisibleToOtherSessionsAndNotStored) {
  TSession a(nullptr);
  a.SetConfigMode({cfmSession});
  a.AddAlias("Scratch", "SQLITE", {"PATH=/tmp/scratch.db"});
  EXPECT_TRUE(a.IsAlias("Scratch"));
  EXPECT_FALSE(fs::exists(FStore));

  TSession b(nullptr);
  b.SetConfigMode({cfmPersistent});
  EXPECT_FALSE(b.IsAlias("Scratch"));
  // Nor does the session that holds it see it through the store alone.
  a.SetConfigMode({cfmPersistent});
  EXPECT_FALSE(a.IsAlias("Scratch"));
}

TEST_F(SessionStoreTest, PersistentAliasSurvivesIntoNewSession) {
  {
    TSession a(nullptr);  // default mode: adds to the store
    a.AddStandardAlias("Stock", "/data/stock", "PARADOX");
  }
  TSession b(nullptr);
  b.SetConfigMode({cfmPersistent});
  ASSERT_TRUE(b.IsAlias("stock"));
  EXPECT_EQ(b.GetAliasDriverName("Stock"), "STANDARD");
  EXPECT_EQ(b.GetAliasParams("Stock"),
            (std::vector<std::string>{"PATH=/data/stock", "DEFAULT DRIVER=PARADOX"}));
  b.SetConfigMode({cfmSession});
  EXPECT_FALSE(b.IsAlias("Stock"));
}

TEST_F(SessionStoreTest, WhereAddAndDeleteAct) {
  struct Case {
    const char* name;
    TConfigMode mode;
    bool store;
  };
  const Case cases[] = {
      {"session", {cfmSession}, false},
      {"persistent", {cfmPersistent}, true},
      {"virtual", {cfmVirtual}, false},
      {"empty", {}, false},
      {"virtual+session", {cfmVirtual, cfmSession}, false},
      {"session+persistent", {cfmSession, cfmPersistent}, true},
      {"all", {cfmVirtual, cfmPersistent, cfmSession}, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(FStore);
    TSession s(nullptr);
    s.SetConfigMode(c.mode);
    s.AddAlias("Target", "SQLITE", {"PATH=/x.db"});

    TSession reader(nullptr);
    reader.SetConfigMode({cfmPersistent});
    EXPECT_EQ(reader.IsAlias("Target"), c.store);
    s.SetConfigMode({cfmSession});
    EXPECT_EQ(s.IsAlias("Target"), !c.store);

    s.SetConfigMode(c.mode);
    s.DeleteAlias("target");
    EXPECT_FALSE(reader.IsAlias("Target"));
    s.SetConfigMode({cfmSession});
    EXPECT_FALSE(s.IsAlias("Target"));
  }
}

TEST_F(SessionStoreTest, WhichAliasesAreSeen) {
  PutStore("[Stored]\nDRIVER=SQLITE\nPATH=/stored.db\n");
  struct Case {
    const char* name;
    TConfigMode mode;
    std::vector<std::string> seen;
  };
  const Case cases[] = {
      {"session", {cfmSession}, {"Own"}},
      {"persistent", {cfmPersistent}, {"Stored"}},
      {"virtual", {cfmVirtual}, {"Own", "Stored"}},
      {"empty", {}, {}},
      {"all", {cfmVirtual, cfmPersistent, cfmSession}, {"Own", "Stored"}},
  };
  TSession s(nullptr);
  s.SetConfigMode({cfmSession});
  s.AddAlias("Own", "SQLITE", {"PATH=/own.db"});
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    s.SetConfigMode(c.mode);
    EXPECT_EQ(s.GetAliasNames(), c.seen);
    for (const char* name : {"Own", "Stored"}) {
      bool seen = std::find(c.seen.begin(), c.seen.end(), name) != c.seen.end();
      EXPECT_EQ(s.IsAlias(name), seen) << name;
    }
  }
}

TEST_F(SessionStoreTest, SessionAliasHidesStoredOneOfSameName) {
  PutStore("[Sales]\nDRIVER=STANDARD\nPATH=/stored\n");
  TSession s(nullptr);
  s.SetConfigMode({cfmSession});
  s.AddAlias("SALES", "SQLITE", {"PATH=/mine.db"});
  s.SetConfigMode({cfmVirtual, cfmPersistent, cfmSession});
  EXPECT_EQ(s.GetAliasNames(), std::vector<std::string>{"SALES"});
  EXPECT_EQ(s.GetAliasDriverName("sales"), "SQLITE");
  EXPECT_EQ(s.GetAliasParams("Sales"), std::vector<std::string>{"PATH=/mine.db"});
  s.SetConfigMode({cfmPersistent});
  EXPECT_EQ(s.GetAliasDriverName("sales"), "STANDARD");
}

// ---- Names ------------------------------------------------------------------------

TEST_F(SessionStoreTest, NamesIgnoreCaseAndListSorted) {
  TSession s(nullptr);
  s.SetConfigMode({cfmSession});
  for (const char* n : {"zeta", "Alpha", "ärger", "beta"}) s.AddAlias(n, "SQLITE", {});
  s.SetConfigMode({cfmPersistent});
  s.AddAlias("Gamma", "SQLITE", {});
  s.AddAlias("alpha", "SQLITE", {});  // hidden by the session's "Alpha"
  s.SetConfigMode({cfmVirtual, cfmPersistent, cfmSession});

  for (const char* n : {"ZETA", "alpha", "ÄRGER", "gAmMa"}) EXPECT_TRUE(s.IsAlias(n)) << n;
  EXPECT_FALSE(s.IsAlias("alph"));
  EXPECT_FALSE(s.IsAlias(""));

  const std::vector<std::string> expected{"Alpha", "beta", "Gamma", "zeta", "ärger"};
  EXPECT_EQ(s.GetAliasNames(), expected);
  fw::TStringList list({"stale"});
  s.GetAliasNames(&list);
  EXPECT_EQ(list.ToVector(), expected);
}

TEST_F(SessionStoreTest, AliasErrors) {
  TSession s(nullptr);
  s.SetConfigMode({cfmSession});
  s.AddAlias("Mem", "SQLITE", {});
  s.SetConfigMode({cfmPersistent});
  s.AddAlias("Disk", "SQLITE", {});
  const std::string storeBefore = ReadFile(FStore);

  struct Case {
    const char* name;
    TConfigMode mode;
    std::function<void(TSession&)> call;
    std::string message;
  };
  const std::vector<Case> cases{
      {"session duplicate", {cfmSession}, [](TSession& t) { t.AddAlias("MEM", "SQLITE", {}); },
       "Alias 'MEM' already exists"},
      {"store duplicate", {cfmPersistent}, [](TSession& t) { t.AddStandardAlias("disk", "/d", "DBASE"); },
       "Alias 'disk' already exists"},
      {"delete unknown in session", {cfmSession}, [](TSession& t) { t.DeleteAlias("Disk"); },
       "Alias 'Disk' not found"},
      {"delete unknown in store", {cfmPersistent}, [](TSession& t) { t.DeleteAlias("Mem"); },
       "Alias 'Mem' not found"},
      {"driver of unknown", {cfmVirtual, cfmPersistent, cfmSession},
       [](TSession& t) { t.GetAliasDriverName("Nope"); }, "Alias 'Nope' not found"},
      {"params of unknown", {cfmVirtual, cfmPersistent, cfmSession},
       [](TSession& t) { t.GetAliasParams("Nope"); }, "Alias 'Nope' not found"},
      {"empty name", {cfmSession}, [](TSession& t) { t.AddAlias("", "SQLITE", {}); },
       "Invalid alias name ''"},
      {"name with =", {cfmPersistent}, [](TSession& t) { t.AddAlias("a=b", "SQLITE", {}); },
       "Invalid alias name 'a=b'"},
      {"name with [", {cfmPersistent}, [](TSession& t) { t.AddAlias("[a", "SQLITE", {}); },
       "Invalid alias name '[a'"},
      {"name with ]", {cfmSession}, [](TSession& t) { t.AddAlias("a]", "SQLITE", {}); },
       "Invalid alias name 'a]'"},
      {"name with line break", {cfmPersistent}, [](TSession& t) { t.AddAlias("a\nb", "SQLITE", {}); },
       "Invalid alias name 'a\nb'"},
      {"name with outer blank", {cfmPersistent}, [](TSession& t) { t.AddAlias(" a", "SQLITE", {}); },
       "Invalid alias name ' a'"},
      {"empty driver", {cfmPersistent}, [](TSession& t) { t.AddAlias("New", " ", {}); },
       "Invalid driver name ' ' of alias 'New'"},
      {"parameter without =", {cfmPersistent}, [](TSession& t) { t.AddAlias("New", "SQLITE", {"PATH"}); },
       "Invalid parameter 'PATH' of alias 'New'"},
      {"parameter without name", {cfmSession}, [](TSession& t) { t.AddAlias("New", "SQLITE", {"=x"}); },
       "Invalid parameter '=x' of alias 'New'"},
      {"DRIVER parameter", {cfmPersistent},
       [](TSession& t) { t.AddAlias("New", "SQLITE", {"driver=STANDARD"}); },
       "Invalid parameter 'driver=STANDARD' of alias 'New'"},
      {"parameter read back as a section", {cfmPersistent},
       [](TSession& t) { t.AddAlias("New", "SQLITE", {"[Evil]=1"}); },
       "Invalid parameter '[Evil]=1' of alias 'New'"},
      {"parameter with line break", {cfmPersistent},
       [](TSession& t) { t.AddAlias("New", "SQLITE", {"PATH=/a\n[Evil]"}); },
       "Invalid parameter 'PATH=/a\n[Evil]' of alias 'New'"},
      {"busy timeout with letters", {cfmPersistent},
       [](TSession& t) { t.AddAlias("New", "SQLITE", {"PATH=/a", "BUSY TIMEOUT=12abc"}); },
       "Invalid BUSY TIMEOUT '12abc' of alias 'New': a number of milliseconds from 0 to 2147483647 is expected"},
      {"busy timeout too large", {cfmSession},
       [](TSession& t) { t.AddAlias("New", "SQLITE", {"busy timeout = 99999999999"}); },
       "Invalid BUSY TIMEOUT '99999999999' of alias 'New': a number of milliseconds from 0 to 2147483647 is expected"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    s.SetConfigMode(c.mode);
    ExpectError<fw::EDatabaseError>([&] { c.call(s); }, c.message);
  }
  EXPECT_EQ(ReadFile(FStore), storeBefore);
  s.SetConfigMode({cfmVirtual, cfmPersistent, cfmSession});
  EXPECT_EQ(s.GetAliasNames(), (std::vector<std::string>{"Disk", "Mem"}));
}

// ---- The store --------------------------------------------------------------------

TEST_F(SessionStoreTest, StoreTextRoundTrip) {
  TSession s(nullptr);
  s.SetConfigMode({cfmPersistent});
  s.AddStandardAlias("Stock", "/data/stock dir", "PARADOX");
  s.AddAlias("Sales", "SQLITE", {"PATH = /data/sales.db", "BUSY TIMEOUT=500"});
  EXPECT_EQ(ReadFile(FStore),
            "[Stock]\nDRIVER=STANDARD\nPATH=/data/stock dir\nDEFAULT DRIVER=PARADOX\n"
            "\n"
            "[Sales]\nDRIVER=SQLITE\nPATH=/data/sales.db\nBUSY TIMEOUT=500\n");
  EXPECT_EQ(fs::status(FStore).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(DirEntries(), std::vector<std::string>{"aliases.conf"});  // no temporary left

  s.DeleteAlias("STOCK");
  EXPECT_EQ(ReadFile(FStore), "[Sales]\nDRIVER=SQLITE\nPATH=/data/sales.db\nBUSY TIMEOUT=500\n");
  s.DeleteAlias("Sales");
  EXPECT_EQ(ReadFile(FStore), "");
  EXPECT_TRUE(s.GetAliasNames().empty());
}

TEST_F(SessionStoreTest, StoreKeepsModeOfExistingFile) {
  PutStore("");
  fs::permissions(FStore, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  TSession s(nullptr);
  s.AddAlias("A", "SQLITE", {});
  EXPECT_EQ(fs::status(FStore).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(SessionStoreTest, HandWrittenStoreIsRead) {
  PutStore(
      "\xEF\xBB\xBF; aliases of the shop\r\n"
      "# another comment\r\n"
      "\r\n"
      "  [ Shop ]  \r\n"
      "driver = STANDARD\r\n"
      "  PATH = /srv/shop  \r\n"
      "DEFAULT DRIVER=DBASE\r\n"
      "\n"
      "[Ledger]\n"
      "PATH=/srv/ledger.db\n"
      "DRIVER=SQLITE");
  TSession s(nullptr);
  EXPECT_EQ(s.GetAliasNames(), (std::vector<std::string>{"Ledger", "Shop"}));
  EXPECT_EQ(s.GetAliasDriverName("shop"), "STANDARD");
  EXPECT_EQ(s.GetAliasParams("shop"),
            (std::vector<std::string>{"PATH=/srv/shop", "DEFAULT DRIVER=DBASE"}));
  EXPECT_EQ(s.GetAliasDriverName("Ledger"), "SQLITE");
  EXPECT_EQ(s.GetAliasParams("Ledger"), std::vector<std::string>{"PATH=/srv/ledger.db"});
}

TEST_F(SessionStoreTest, CorruptStoreIsRefusedAndLeftAlone) {
  struct Case {
    const char* name;
    std::string text;
    int line;
    std::string what;
  };
  const Case cases[] = {
      {"line outside a section", "; top\nPATH=/x\n[A]\nDRIVER=SQLITE\n", 2,
       "line outside an alias section"},
      {"line without =", "[A]\nDRIVER=SQLITE\nPATH /x\n", 3, "line without '='"},
      {"parameter without name", "[A]\nDRIVER=SQLITE\n = /x\n", 3, "parameter without a name"},
      {"section without DRIVER", "[A]\nPATH=/x\n\n[B]\nDRIVER=SQLITE\n", 1,
       "alias 'A' has no DRIVER line"},
      {"last section without DRIVER", "[A]\nDRIVER=SQLITE\n\n[B]\nPATH=/x\n", 4,
       "alias 'B' has no DRIVER line"},
      {"duplicate section", "[A]\nDRIVER=SQLITE\n# again\n[a]\nDRIVER=STANDARD\n", 4,
       "duplicate alias 'a'"},
      {"second DRIVER", "[A]\nDRIVER=SQLITE\nDRIVER=STANDARD\n", 3, "second DRIVER line of alias 'A'"},
      {"header without ]", "[A\nDRIVER=SQLITE\n", 1, "section header without ']'"},
      {"empty section name", "[]\nDRIVER=SQLITE\n", 1, "invalid alias name ''"},
      {"busy timeout not a number", "[A]\nDRIVER=SQLITE\nBUSY TIMEOUT=abc\n", 3,
       "invalid BUSY TIMEOUT 'abc' of alias 'A' (a number of milliseconds from 0 to 2147483647)"},
      {"busy timeout too large", "[A]\nDRIVER=SQLITE\n\n[B]\nDRIVER=SQLITE\nbusy timeout = 99999999999\n", 6,
       "invalid BUSY TIMEOUT '99999999999' of alias 'B' (a number of milliseconds from 0 to 2147483647)"},
      {"busy timeout with letters", "[A]\nBUSY TIMEOUT=12abc\nDRIVER=SQLITE\n", 2,
       "invalid BUSY TIMEOUT '12abc' of alias 'A' (a number of milliseconds from 0 to 2147483647)"},
      {"negative busy timeout", "[A]\nDRIVER=SQLITE\nBUSY TIMEOUT=-1\n", 3,
       "invalid BUSY TIMEOUT '-1' of alias 'A' (a number of milliseconds from 0 to 2147483647)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    PutStore(c.text);
    const std::string message =
        "Corrupt alias store " + FStore + ", line " + std::to_string(c.line) + ": " + c.what;
    TSession s(nullptr);
    ExpectError<fw::EDatabaseError>([&] { s.GetAliasNames(); }, message);
    ExpectError<fw::EDatabaseError>([&] { s.IsAlias("Other"); }, message);
    ExpectError<fw::EDatabaseError>([&] { s.AddAlias("New", "SQLITE", {}); }, message);
    ExpectError<fw::EDatabaseError>([&] { s.DeleteAlias("A"); }, message);
    EXPECT_EQ(ReadFile(FStore), c.text);
    EXPECT_EQ(DirEntries(), std::vector<std::string>{"aliases.conf"});
    // Session aliases stay usable.
    s.SetConfigMode({cfmSession});
    s.AddAlias("New", "SQLITE", {});
    EXPECT_EQ(s.GetAliasNames(), std::vector<std::string>{"New"});
  }
}

// The store is read once and read again only when its file changed.
TEST_F(SessionStoreTest, AChangedStoreIsReadAgain) {
  const std::string before = "[Aaa]\nDRIVER=SQLITE\n";
  const std::string after = "[Bbb]\nDRIVER=SQLITE\n";  // of the same size
  const std::string store = FStore, dir = FDir;
  struct Case {
    const char* name;
    std::function<void()> change;
    std::vector<std::string> aliases;
  };
  const Case cases[] = {
      {"rewritten in place, another size",
       [&] { WriteFile(store, after + "; one more line\n"); }, {"Bbb"}},
      {"rewritten in place, same size, later",
       [&] {
         auto time = fs::last_write_time(store);
         WriteFile(store, after);
         fs::last_write_time(store, time + std::chrono::seconds(2));
       },
       {"Bbb"}},
      {"replaced by another file of the same size",
       [&] {
         WriteFile(store + ".new", after);
         fs::rename(store + ".new", store);
       },
       {"Bbb"}},
      {"written by another session",
       [&] {
         TSession other(nullptr);
         other.AddAlias("Ccc", "SQLITE", {});
       },
       {"Aaa", "Ccc"}},
      {"removed", [&] { fs::remove(store); }, {}},
      {"another store",
       [&] {
         WriteFile(dir + "/other.conf", after);
         ::setenv("QOR_ALIAS_STORE", (dir + "/other.conf").c_str(), 1);
       },
       {"Bbb"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ::setenv("QOR_ALIAS_STORE", FStore.c_str(), 1);
    PutStore(before);
    TSession s(nullptr);
    s.SetConfigMode({cfmPersistent});
    ASSERT_TRUE(s.IsAlias("Aaa"));
    c.change();
    EXPECT_EQ(s.GetAliasNames(), c.aliases);
    EXPECT_EQ(s.IsAlias("Aaa"), std::find(c.aliases.begin(), c.aliases.end(), "Aaa") != c.aliases.end());
  }
}

TEST_F(SessionStoreTest, AnUnchangedStoreIsNotReadAgain) {
  PutStore("[Aaa]\nDRIVER=SQLITE\nPATH=/a\n");
  TSession s(nullptr);
  ASSERT_EQ(s.GetAliasParams("Aaa"), std::vector<std::string>{"PATH=/a"});
  // Same file, size and time: the session keeps what it read (a new one reads the file).
  auto time = fs::last_write_time(FStore);
  WriteFile(FStore, "[Aaa\nDRIVER=SQLITE\nPATH=/bb\n");  // as long as before
  fs::last_write_time(FStore, time);
  EXPECT_TRUE(s.IsAlias("aaa"));
  EXPECT_EQ(s.GetAliasParams("Aaa"), std::vector<std::string>{"PATH=/a"});
  TSession fresh(nullptr);
  ExpectError<fw::EDatabaseError>([&] { fresh.IsAlias("Aaa"); },
                                  "Corrupt alias store " + FStore + ", line 1: section header without ']'");
}

TEST_F(SessionStoreTest, ALargeStoreIsReadWhole) {
  constexpr int count = 20000;
  std::string text;
  for (int i = 0; i < count; ++i)
    text += "[Alias" + std::to_string(i) + "]\nDRIVER=STANDARD\nPATH=/data/" + std::to_string(i) + "\n\n";
  PutStore(text);
  TSession s(nullptr);
  EXPECT_EQ(s.GetAliasNames().size(), static_cast<std::size_t>(count));
  for (int i : {0, 7777, count - 1}) {
    EXPECT_TRUE(s.IsAlias("ALIAS" + std::to_string(i)));
    EXPECT_EQ(s.GetAliasParams("alias" + std::to_string(i)),
              std::vector<std::string>{"PATH=/data/" + std::to_string(i)});
  }
  EXPECT_FALSE(s.IsAlias("Alias" + std::to_string(count)));
  s.AddAlias("Extra", "SQLITE", {"PATH=/x.db"});
  s.DeleteAlias("Alias0");
  TSession other(nullptr);
  EXPECT_TRUE(other.IsAlias("Extra"));
  EXPECT_FALSE(other.IsAlias("Alias0"));
  EXPECT_EQ(other.GetAliasNames().size(), static_cast<std::size_t>(count));

  // A duplicate at the end is found and named with its line.
  PutStore(text + "[alias5]\nDRIVER=SQLITE\n");
  ExpectError<fw::EDatabaseError>([&] { s.IsAlias("Alias1"); },
                                  "Corrupt alias store " + FStore + ", line " + std::to_string(4 * count + 1) +
                                      ": duplicate alias 'alias5'");
}

TEST_F(SessionStoreTest, DirectoryAtStorePathIsUnreadable) {
  fs::create_directories(FStore);
  const std::string message = "Cannot read the alias store " + FStore + ": Is a directory";
  TSession s(nullptr);
  ExpectError<fw::EDatabaseError>([&] { s.GetAliasNames(); }, message);
  ExpectError<fw::EDatabaseError>([&] { s.AddStandardAlias("A", "/a", "PARADOX"); }, message);
  EXPECT_TRUE(fs::is_directory(FStore));
}

TEST_F(SessionStoreTest, UnreadableStoreFileIsNotOverwritten) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads files regardless of their mode";
  const std::string text = "[A]\nDRIVER=SQLITE\n";
  PutStore(text);
  fs::permissions(FStore, fs::perms::none);
  const std::string message = "Cannot read the alias store " + FStore + ": Permission denied";
  TSession s(nullptr);
  ExpectError<fw::EDatabaseError>([&] { s.IsAlias("A"); }, message);
  ExpectError<fw::EDatabaseError>([&] { s.AddAlias("B", "SQLITE", {}); }, message);
  ExpectError<fw::EDatabaseError>([&] { s.DeleteAlias("A"); }, message);
  fs::permissions(FStore, fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(ReadFile(FStore), text);
}

TEST_F(SessionStoreTest, StoreInUnwritableDirectoryRaises) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes regardless of the directory's mode";
  PutStore("[A]\nDRIVER=SQLITE\n");
  fs::permissions(fs::path(FStore).parent_path(), fs::perms::owner_read | fs::perms::owner_exec);
  TSession s(nullptr);
  ExpectError<fw::EDatabaseError>([&] { s.AddAlias("B", "SQLITE", {}); },
                                  "Cannot write the alias store " + FStore + ": Permission denied");
  fs::permissions(fs::path(FStore).parent_path(), fs::perms::owner_all);
  EXPECT_EQ(s.GetAliasNames(), std::vector<std::string>{"A"});
}

TEST(SessionStorePath, FromEnvironment) {
  TEnvKeeper keepStore("QOR_ALIAS_STORE"), keepXdg("XDG_CONFIG_HOME"), keepHome("HOME");
  struct Case {
    const char* name;
    const char* store;  // null: unset
    const char* xdg;
    std::string expected;
  };
  const Case cases[] = {
      {"explicit store", "/s/aliases.txt", "/x", "/s/aliases.txt"},
      {"empty store, XDG", "", "/x", "/x/qorlookup/aliases.conf"},
      {"XDG", nullptr, "/x", "/x/qorlookup/aliases.conf"},
      {"home", nullptr, nullptr, "/h/.config/qorlookup/aliases.conf"},
  };
  ::setenv("HOME", "/h", 1);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.store) ::setenv("QOR_ALIAS_STORE", c.store, 1); else ::unsetenv("QOR_ALIAS_STORE");
    if (c.xdg) ::setenv("XDG_CONFIG_HOME", c.xdg, 1); else ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(TSession::AliasStorePath(), c.expected);
  }
}

// ---- Databases --------------------------------------------------------------------

TEST(SessionDatabases, DefaultSession) {
  ASSERT_NE(fw::Session(), nullptr);
  EXPECT_EQ(fw::Session(), fw::Session());
  EXPECT_EQ(fw::Session()->GetName(), "Session");
}

TEST(SessionDatabases, ListAndClose) {
  TSession* s = fw::Session();
  const int before = s->GetDatabaseCount();
  auto* db = new fw::TDatabase(nullptr);
  db->SetDatabaseName("ListedDb");
  ASSERT_EQ(s->GetDatabaseCount(), before + 1);
  EXPECT_EQ(s->GetDatabase(before), db);
  EXPECT_EQ(s->FindDatabase("LISTEDDB"), db);
  EXPECT_EQ(s->FindDatabase("Listed"), nullptr);
  ExpectError<fw::EListError>([&] { s->GetDatabase(before + 1); },
                              "List index out of bounds (" + std::to_string(before + 1) + ")");
  ExpectError<fw::EListError>([&] { s->GetDatabase(-1); }, "List index out of bounds (-1)");

  // A database that is not temporary stays when its last user leaves.
  db->SetDriverName(fw::szCFGDBSTANDARD);
  db->GetParams()->Add("PATH=" + fs::temp_directory_path().string());
  s->OpenDatabase("ListedDb");
  s->CloseDatabase(db);
  s->CloseDatabase(db);
  EXPECT_EQ(db->GetUseCount(), 0);
  EXPECT_EQ(s->FindDatabase("ListedDb"), db);

  // A temporary one is freed then.
  db->SetTemporary(true);
  s->OpenDatabase("ListedDb");
  s->OpenDatabase("ListedDb");
  s->CloseDatabase(db);
  EXPECT_EQ(s->FindDatabase("ListedDb"), db);
  s->CloseDatabase(db);
  EXPECT_EQ(s->FindDatabase("ListedDb"), nullptr);
  EXPECT_EQ(s->GetDatabaseCount(), before);
  s->CloseDatabase(nullptr);
}

TEST(SessionDatabases, FreedSessionFreesItsDatabases) {
  const int before = fw::Session()->GetDatabaseCount();
  auto other = std::make_unique<TSession>(nullptr);
  auto* db = new fw::TDatabase(other.get());
  db->SetDatabaseName("OwnedDb");
  other->AddDatabase(db);
  other->AddDatabase(db);  // once only
  EXPECT_EQ(other->GetDatabaseCount(), 1);
  other.reset();
  EXPECT_EQ(fw::Session()->FindDatabase("OwnedDb"), nullptr);
  EXPECT_EQ(fw::Session()->GetDatabaseCount(), before);
}

}  // namespace
