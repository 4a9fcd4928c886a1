// The demonstration data (continents, countries, languages, a tree of professions and
// people) and the making of the tables that hold it.
#include "demo/DemoData.h"

#include <filesystem>
#include <functional>
#include <memory>

#include "framework/core/Strings.h"
#include "framework/data/Field.h"
#include "framework/engine/DBDataSet.h"
#include "framework/engine/Database.h"
#include "framework/engine/Session.h"

namespace demo {

namespace {

// ---- the demonstration data -------------------------------------------------------

struct TContinentRow {
  int Id;
  const char* Name;
};
const TContinentRow Continents[] = {
    {1, "Europe"},        {2, "Asia"},    {3, "Africa"},     {4, "North America"},
    {5, "South America"}, {6, "Oceania"}, {7, "Antarctica"},
};

struct TCountryRow {
  int Id;
  const char* Name;
  int Continent;
  const char* Capital;
  const char* Info;
};
const TCountryRow Countries[] = {
    {1, "Germany", 1, "Berlin", "Official language: German; currency: euro"},
    {2, "France", 1, "Paris", "Official language: French; currency: euro"},
    {3, "Italy", 1, "Rome", "Official language: Italian; currency: euro"},
    {4, "Spain", 1, "Madrid", "Official language: Spanish; currency: euro"},
    {5, "Portugal", 1, "Lisbon", "Official language: Portuguese; currency: euro"},
    {6, "United Kingdom", 1, "London", "Official language: English; currency: pound sterling"},
    {7, "Poland", 1, "Warsaw", "Official language: Polish; currency: zloty"},
    {8, "Ukraine", 1, "Kyiv", "Official language: Ukrainian; currency: hryvnia"},
    {9, "Sweden", 1, "Stockholm", "Official language: Swedish; currency: krona"},
    {10, "Greece", 1, "Athens", "Official language: Greek; currency: euro"},
    {11, "Netherlands", 1, "Amsterdam", "Official language: Dutch; currency: euro"},
    {12, "Norway", 1, "Oslo", "Official language: Norwegian; currency: krone"},
    {13, "Russia", 1, "Moscow", "Official language: Russian; currency: rouble"},
    {14, "China", 2, "Beijing", "Official language: Chinese; currency: renminbi"},
    {15, "Japan", 2, "Tokyo", "Official language: Japanese; currency: yen"},
    {16, "India", 2, "New Delhi", "Official languages: Hindi, English; currency: rupee"},
    {17, "Kazakhstan", 2, "Astana", "Official languages: Kazakh, Russian; currency: tenge"},
    {18, "Vietnam", 2, "Hanoi", "Official language: Vietnamese; currency: dong"},
    {19, "Turkey", 2, "Ankara", "Official language: Turkish; currency: lira"},
    {20, "South Korea", 2, "Seoul", "Official language: Korean; currency: won"},
    {21, "Egypt", 3, "Cairo", "Official language: Arabic; currency: Egyptian pound"},
    {22, "Nigeria", 3, "Abuja", "Official language: English; currency: naira"},
    {23, "Kenya", 3, "Nairobi", "Official languages: Swahili, English; currency: shilling"},
    {24, "South Africa", 3, "Pretoria", "Twelve official languages; currency: rand"},
    {25, "Morocco", 3, "Rabat", "Official languages: Arabic, Berber; currency: dirham"},
    {26, "Ethiopia", 3, "Addis Ababa", "Official language: Amharic; currency: birr"},
    {27, "Canada", 4, "Ottawa", "Official languages: English, French; currency: dollar"},
    {28, "United States", 4, "Washington", "Language: English; currency: dollar"},
    {29, "Mexico", 4, "Mexico City", "Language: Spanish; currency: peso"},
    {30, "Cuba", 4, "Havana", "Official language: Spanish; currency: peso"},
    {31, "Brazil", 5, "Brasília", "Official language: Portuguese; currency: real"},
    {32, "Argentina", 5, "Buenos Aires", "Official language: Spanish; currency: peso"},
    {33, "Chile", 5, "Santiago", "Official language: Spanish; currency: peso"},
    {34, "Peru", 5, "Lima", "Official languages: Spanish, Quechua; currency: sol"},
    {35, "Colombia", 5, "Bogotá", "Official language: Spanish; currency: peso"},
    {36, "Australia", 6, "Canberra", "Language: English; currency: dollar"},
    {37, "New Zealand", 6, "Wellington", "Official languages: English, Maori; currency: dollar"},
    {38, "Fiji", 6, "Suva", "Official languages: English, Fijian; currency: dollar"},
};

// Written in this order, not by id: the table has no index, and its query orders by id.
struct TLanguageRow {
  int Id;
  const char* Name;
  const char* Font;
  int FontSize;
  const char* Layout;
};
const TLanguageRow Languages[] = {
    {3, "Deutsch", "Liberation Serif", 10, "00000407"},
    {1, "English", "DejaVu Sans", 9, "00000409"},
    {2, "Русский", "Noto Sans", 10, "00000419"},
    {5, "Español", "Liberation Sans", 9, "0000040A"},
    {4, "Français", "DejaVu Serif", 10, "0000040C"},
    {7, "Português", "Noto Serif", 10, "00000816"},
    {6, "Italiano", "Liberation Serif", 10, "00000410"},
    {9, "Українська", "Noto Sans", 10, "00000422"},
    {8, "Polski", "DejaVu Sans", 9, "00000415"},
    {10, "Svenska", "Liberation Sans", 9, "0000041D"},
    {12, "Ελληνικά", "DejaVu Serif", 10, "00000408"},
    {11, "日本語", "Noto Sans CJK JP", 11, "00000411"},
    {13, "中文", "Noto Sans CJK SC", 11, "00000804"},
};

// A tree of three levels; IdUp 0 stands for a profession without a superior (null).
struct TProfessionRow {
  int Id;
  const char* Name;
  int IdUp;
};
const TProfessionRow Professions[] = {
    {1, "Engineering", 0},
    {11, "Software engineering", 1},
    {111, "Programmer", 11},
    {112, "Tester", 11},
    {113, "System administrator", 11},
    {12, "Civil engineering", 1},
    {121, "Bridge engineer", 12},
    {122, "Surveyor", 12},
    {13, "Electrical engineering", 1},
    {131, "Power engineer", 13},
    {132, "Electronics designer", 13},
    {2, "Medicine", 0},
    {21, "Physician", 2},
    {211, "Surgeon", 21},
    {212, "Paediatrician", 21},
    {213, "Cardiologist", 21},
    {22, "Nursing", 2},
    {221, "Nurse", 22},
    {222, "Midwife", 22},
    {23, "Dentist", 2},
    {3, "Education", 0},
    {31, "School teaching", 3},
    {311, "Primary school teacher", 31},
    {312, "Mathematics teacher", 31},
    {313, "Language teacher", 31},
    {32, "Higher education", 3},
    {321, "Professor", 32},
    {322, "Lecturer", 32},
    {4, "Arts", 0},
    {41, "Music", 4},
    {411, "Composer", 41},
    {412, "Pianist", 41},
    {413, "Conductor", 41},
    {42, "Visual arts", 4},
    {421, "Painter", 42},
    {422, "Photographer", 42},
    {423, "Sculptor", 42},
    {43, "Writer", 4},
    {5, "Trades", 0},
    {51, "Carpenter", 5},
    {52, "Plumber", 5},
    {53, "Baker", 5},
};

// 0 stands for no value (null).
struct TPersonRow {
  int Id;
  const char* Name;
  int Lang, Prof, Continent, Country;
  const char* Info;
};
const TPersonRow People[] = {
    {1, "Anna Schmidt", 3, 111, 1, 1, "Writes the firmware of washing machines."},
    {2, "Pierre Dubois", 4, 211, 1, 2, nullptr},
    {3, "Иван Петров", 2, 321, 1, 13, "Teaches physics in Novosibirsk.\r\nSkis every winter weekend."},
    {4, "Maria Rossi", 6, 412, 1, 3, nullptr},
    {5, "Carlos García", 5, 121, 1, 4, nullptr},
    {6, "João Silva", 7, 221, 5, 31, nullptr},
    {7, "John Smith", 1, 112, 4, 28, nullptr},
    {8, "Emily Brown", 1, 311, 6, 36, nullptr},
    {9, "Olena Kovalenko", 9, 212, 1, 8, nullptr},
    {10, "Jan Kowalski", 8, 51, 1, 7, nullptr},
    {11, "Erik Johansson", 10, 113, 1, 9, nullptr},
    {12, "Nikos Papadopoulos", 12, 423, 1, 10, "Works in marble from Naxos."},
    {13, "Yuki Tanaka", 11, 131, 2, 15, nullptr},
    {14, "Li Wei", 13, 132, 2, 14, nullptr},
    {15, "Priya Sharma", 1, 213, 2, 16, nullptr},
    {16, "Aigerim Nurlanova", 2, 312, 2, 17, nullptr},
    {17, "Amina Okafor", 1, 222, 3, 22, nullptr},
    {18, "Wanjiru Kamau", 1, 322, 3, 23, nullptr},
    {19, "Ahmed Hassan", 1, 122, 3, 21, nullptr},
    {20, "Sofía Fernández", 5, 421, 5, 32, nullptr},
    {21, "Diego Torres", 5, 52, 5, 34, nullptr},
    {22, "Chloé Martin", 4, 413, 4, 27, "Conducts the orchestra of a small town in Quebec."},
    {23, "Liam O'Connor", 1, 43, 6, 37, nullptr},
    {24, "Сергей Смирнов", 2, 53, 1, 13, nullptr},
    {25, "Hannah Müller", 3, 23, 1, 1, nullptr},
    {26, "Lucas Moreau", 0, 411, 1, 2, "Has not said which language he prefers."},
    {27, "Mateo López", 5, 313, 4, 29, nullptr},
    {28, "Ingrid Nilsen", 1, 322, 7, 0, "Spends the winters at a research station in Antarctica."},
};

// ---- writing the tables -----------------------------------------------------------

constexpr const char* DatabaseNameOfData = "QorDemoData";

void SetNumber(fw::TDataSet* t, const char* field, int value) {
  if (value == 0)
    t->FieldByName(field)->Clear();
  else
    t->FieldByName(field)->SetAsInteger(value);
}

void SetText(fw::TDataSet* t, const char* field, const char* value) {
  if (value) t->FieldByName(field)->SetAsString(value);
}

int SubordinateCount(int id) {
  int count = 0;
  for (const TProfessionRow& p : Professions)
    if (p.IdUp == id) ++count;
  return count;
}

struct TDemoTable {
  const char* Name;
  std::function<void(fw::TTable*)> Define;
  std::function<void(fw::TTable*)> Fill;
};

const std::vector<TDemoTable>& DemoTables() {
  static const std::vector<TDemoTable> tables = {
      {"People.db",
       [](fw::TTable* t) {
         auto* d = t->GetFieldDefs();
         d->Add("id", fw::ftInteger);
         d->Add("Name", fw::ftString, 40);
         d->Add("Lang", fw::ftSmallint);
         d->Add("Prof", fw::ftSmallint);
         d->Add("Continent", fw::ftSmallint);
         d->Add("Country", fw::ftSmallint);
         d->Add("Info", fw::ftMemo, 40);
         d->Add("Image", fw::ftGraphic);
         t->GetIndexDefs()->Add("", "id", {fw::ixPrimary});
         t->GetIndexDefs()->Add("ByName", "Name", {});
       },
       [](fw::TTable* t) {
         for (const TPersonRow& p : People) {
           t->Append();
           SetNumber(t, "id", p.Id);
           SetText(t, "Name", p.Name);
           SetNumber(t, "Lang", p.Lang);
           SetNumber(t, "Prof", p.Prof);
           SetNumber(t, "Continent", p.Continent);
           SetNumber(t, "Country", p.Country);
           SetText(t, "Info", p.Info);
           t->Post();
         }
       }},
      {"Cont.db",
       [](fw::TTable* t) {
         t->GetFieldDefs()->Add("Id", fw::ftSmallint);
         t->GetFieldDefs()->Add("Name", fw::ftString, 20);
         t->GetIndexDefs()->Add("", "Id", {fw::ixPrimary});
       },
       [](fw::TTable* t) {
         for (const TContinentRow& c : Continents) {
           t->Append();
           SetNumber(t, "Id", c.Id);
           SetText(t, "Name", c.Name);
           t->Post();
         }
       }},
      {"Prof.db",
       [](fw::TTable* t) {
         t->GetFieldDefs()->Add("Id", fw::ftSmallint);
         t->GetFieldDefs()->Add("Name", fw::ftString, 30);
         t->GetFieldDefs()->Add("IdUp", fw::ftSmallint);
         t->GetFieldDefs()->Add("AmountDown", fw::ftSmallint);
         t->GetIndexDefs()->Add("", "Id", {fw::ixPrimary});
       },
       [](fw::TTable* t) {
         for (const TProfessionRow& p : Professions) {
           t->Append();
           SetNumber(t, "Id", p.Id);
           SetText(t, "Name", p.Name);
           SetNumber(t, "IdUp", p.IdUp);
           t->FieldByName("AmountDown")->SetAsInteger(SubordinateCount(p.Id));
           t->Post();
         }
       }},
      {"Country.DB",
       [](fw::TTable* t) {
         auto* d = t->GetFieldDefs();
         d->Add("Id", fw::ftSmallint);
         d->Add("Name", fw::ftString, 30);
         d->Add("Continent", fw::ftSmallint);
         d->Add("Description", fw::ftString, 40);
         d->Add("Info", fw::ftString, 60);
         d->Add("Picture", fw::ftGraphic);
         t->GetIndexDefs()->Add("", "Id", {fw::ixPrimary});
       },
       [](fw::TTable* t) {
         for (const TCountryRow& c : Countries) {
           t->Append();
           SetNumber(t, "Id", c.Id);
           SetText(t, "Name", c.Name);
           SetNumber(t, "Continent", c.Continent);
           t->FieldByName("Description")->SetAsString(std::string("Capital: ") + c.Capital);
           SetText(t, "Info", c.Info);
           t->Post();
         }
       }},
      {"Lang.DB",
       [](fw::TTable* t) {
         auto* d = t->GetFieldDefs();
         d->Add("Id", fw::ftSmallint);
         d->Add("Name", fw::ftString, 20);
         d->Add("Font", fw::ftString, 20);
         d->Add("FontSize", fw::ftSmallint);
         d->Add("Layout", fw::ftString, 8);
       },
       [](fw::TTable* t) {
         for (const TLanguageRow& l : Languages) {
           t->Append();
           SetNumber(t, "Id", l.Id);
           SetText(t, "Name", l.Name);
           SetText(t, "Font", l.Font);
           SetNumber(t, "FontSize", l.FontSize);
           SetText(t, "Layout", l.Layout);
           t->Post();
         }
       }},
  };
  return tables;
}

}  // namespace

std::vector<std::string> CreateDemoTables(const std::string& dir) {
  std::filesystem::create_directories(dir);
  // A database of its own on the directory, so that the tables are made whatever the
  // session's aliases say; it is freed with `owner`.
  fw::TComponent owner(nullptr);
  auto* db = new fw::TDatabase(&owner);
  db->SetDatabaseName(DatabaseNameOfData);
  db->SetDriverName(fw::szCFGDBSTANDARD);
  db->GetParams()->Add("PATH=" + dir);

  std::vector<std::string> created;
  for (const TDemoTable& demoTable : DemoTables()) {
    std::unique_ptr<fw::TTable> table(new fw::TTable(nullptr));
    table->SetDatabaseName(DatabaseNameOfData);
    table->SetTableName(demoTable.Name);
    if (table->Exists()) continue;
    demoTable.Define(table.get());
    table->CreateTable();
    try {
      table->Open();
      demoTable.Fill(table.get());
      table->Close();
    } catch (...) {
      try {
        if (table->GetActive()) table->Cancel();
        table->Close();
        table->DeleteTable();
      } catch (...) {
      }
      throw;
    }
    created.push_back(demoTable.Name);
  }
  return created;
}

}  // namespace demo
