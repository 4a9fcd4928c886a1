// Unit QorTable: the library's table and query (TQorTable, TQorQuery) with a caption, a
// sorting list, unique fields, permitted record actions with a veto event and an edit-form
// event; the master check before a detail insert and the automatic numbering of new
// records in SQL databases (AssignAutoIncValues over the shared AutoIncQuery).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "framework/core/Events.h"
#include "framework/core/Sets.h"
#include "framework/core/Strings.h"
#include "framework/core/TypInfo.h"
#include "framework/engine/DBDataSet.h"
#include "library/QorDB.h"

namespace qor {

/// A record action that a user interface may offer on a dataset.
enum TQorDataSetAction : std::uint8_t {
  daInsert, daDelete, daClone, daPrint, daPrintRecord, daUserAction1, daUserAction2, daUserAction3
};
FW_ENUM_INFO(TQorDataSetAction, "daInsert", "daDelete", "daClone", "daPrint", "daPrintRecord",
             "daUserAction1", "daUserAction2", "daUserAction3")

/// A set of record actions, one byte: bit n for the action of ordinal n.
using TQorDataSetActions = fw::TSet<TQorDataSetAction>;

/// [daInsert, daDelete, daClone, daPrint, daPrintRecord], the byte 31.
inline constexpr TQorDataSetActions DefaultQorDataSetActions{daInsert, daDelete, daClone, daPrint,
                                                             daPrintRecord};

/// Veto of a record action: the caller passes `actionNeed` true; false vetoes the action.
using TOnDataSetActionEvent = fw::TEvent<void(fw::TObject* sender, fw::TDataSet* aDataSet,
                                              TQorDataSetAction aAction, bool& actionNeed)>;

/// The published members that TQorTable and TQorQuery share, on top of the framework's
/// table or query: a caption, a sorting list, unique fields, the permitted record actions
/// with their veto event and the edit-form event.
template <class Base>
class TQorDataSetProps : public Base {
 public:
  explicit TQorDataSetProps(fw::TComponent* owner)
      : Base(owner), FSortingList(std::make_unique<fw::TStringList>()) {}

  TQorDataSetActions GetActions() const { return FActions; }
  /// Keeps the byte of the set (bits of unknown actions beyond it are dropped).
  void SetActions(TQorDataSetActions v) { FActions = TQorDataSetActions::FromInt(v.ToInt() & 0xFF); }
  const std::string& GetCaption() const { return FCaption; }
  void SetCaption(const std::string& v) { FCaption = v; }
  /// One sort order per line, each a ";" list of field names; owned by the dataset.
  fw::TStrings* GetSortingList() const { return FSortingList.get(); }
  /// Copies the lines of `v` (null clears them) and tells an open dataset's links.
  void SetSortingList(fw::TStrings* v) {
    if (v)
      FSortingList->Assign(v);
    else
      FSortingList->Clear();
    if (this->GetActive()) this->DataEvent(fw::deDataSetChange, 0);
  }
  const std::string& GetUniqueFields() const { return FUniqueFields; }
  void SetUniqueFields(const std::string& v) { FUniqueFields = v; }
  TOnEditDataEvent GetOnEditData() const { return FOnEditData; }
  void SetOnEditData(TOnEditDataEvent e) { FOnEditData = e; }
  TOnDataSetActionEvent GetOnAction() const { return FOnAction; }
  void SetOnAction(TOnDataSetActionEvent e) { FOnAction = e; }

 protected:
  /// Publishes the shared properties in their form-file order; `own` adds the class's own
  /// properties after SortingList.
  template <class T, class F>
  static void PublishProps(fw::TClassBuilder<T>& builder, F own) {
    using P = TQorDataSetProps;
    builder.Prop("Actions", &P::GetActions, &P::SetActions).Default(DefaultQorDataSetActions.ToInt())
        .Prop("Caption", &P::GetCaption, &P::SetCaption)
        .Prop("SortingList", &P::GetSortingList, &P::SetSortingList);
    own(builder);
    builder.Prop("UniqueFields", &P::GetUniqueFields, &P::SetUniqueFields)
        .Prop("OnEditData", &P::GetOnEditData, &P::SetOnEditData)
        .Prop("OnAction", &P::GetOnAction, &P::SetOnAction);
  }

 private:
  TQorDataSetActions FActions = DefaultQorDataSetActions;
  std::string FCaption;
  std::unique_ptr<fw::TStringList> FSortingList;
  std::string FUniqueFields;
  TOnEditDataEvent FOnEditData;
  TOnDataSetActionEvent FOnAction;
};

/// A table with the library's published properties. Before an insert its master record
/// is made safe (posted when it is being inserted; no insert without a master record);
/// before a post into an SQL database its automatic-number fields are numbered.
class TQorTable : public TQorDataSetProps<fw::TTable> {
  FW_CLASS(TQorTable)
 public:
  explicit TQorTable(fw::TComponent* owner);
  ~TQorTable() override;

 protected:
  /// The master check, then the BeforeInsert event.
  void DoBeforeInsert() override;
  /// Automatic numbering in an SQL database, then the BeforePost event.
  void DoBeforePost() override;
  /// Calls DataSetOpenedHook while the table is still inactive.
  void OpenCursorComplete() override;
};

/// A query with the library's published properties and the table it reads (TableName).
/// When it opens at run time with an empty SortingList, the list is filled from the index
/// definitions of that table, one line per index.
class TQorQuery : public TQorDataSetProps<fw::TQuery> {
  FW_CLASS(TQorQuery)
 public:
  explicit TQorQuery(fw::TComponent* owner);
  ~TQorQuery() override;

  /// The table that the query reads ("People.db").
  const std::string& GetTableName() const { return FTableName; }
  void SetTableName(const std::string& v) { FTableName = v; }

 protected:
  /// Automatic numbering in an SQL database, then the BeforePost event.
  void DoBeforePost() override;
  /// Calls DataSetOpenedHook, then fills an empty SortingList from TableName's indexes.
  void OpenCursorComplete() override;

 private:
  std::string FTableName;
};

/// Gives every automatic-number field of a dataset in insert state the largest value of
/// its column in `tableName` plus one (1 for an empty table), read through AutoIncQuery on
/// `databaseName`; a read-only field is written and made read-only again. Nothing happens
/// outside insert state or without AutoIncQuery. Errors propagate.
void AssignAutoIncValues(fw::TDataSet* dataSet, const std::string& tableName,
                         const std::string& databaseName);

/// The query behind the automatic numbering (no owner), with its persistent integer field
/// "MaxNumAutoIncQuery"; null before InitQorTableUnit, after DoneQorTableUnit or when its
/// creation failed.
fw::TQuery* AutoIncQuery();

/// Creates AutoIncQuery (once); on failure shows "Error: AutoIncQuery not created" through
/// the message service and leaves it null.
void InitQorTableUnit();
/// Frees AutoIncQuery and its field.
void DoneQorTableUnit();

}  // namespace qor
