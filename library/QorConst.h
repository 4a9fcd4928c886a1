// Unit QorConst: the library's message texts and captions, kept in one place: the captions
// of its menus and buttons, its messages and the few texts of its own errors.
#pragma once

namespace qor {

// Captions of the lookup menus, the navigator's buttons and the edit menus.
inline constexpr const char* SSearchBy = "Search by";
inline constexpr const char* SOrderBy = "Order by";
inline constexpr const char* SSearchAndOrderBy = "Search and order by";
inline constexpr const char* SFirstRecord = "First record";
inline constexpr const char* SPriorRecord = "Prior record";
inline constexpr const char* SNextRecord = "Next record";
inline constexpr const char* SLastRecord = "Last record";
inline constexpr const char* SInsertRecord = "Insert record";
inline constexpr const char* SDeleteRecord = "Delete record";
inline constexpr const char* SEditRecord = "Edit record";
inline constexpr const char* SPostEdit = "Post edit";
inline constexpr const char* SCancelEdit = "Cancel edit";
inline constexpr const char* SRefreshData = "Refresh data";
inline constexpr const char* SCloneRecord = "Clone record";
inline constexpr const char* SCopy = "Copy";
inline constexpr const char* SInsert = "Insert";
inline constexpr const char* SSelectAll = "Select All";
inline constexpr const char* SClear = "Clear";
inline constexpr const char* SLoadFromFile = "Load from file";
inline constexpr const char* SSaveToFile = "Save to file";
inline constexpr const char* SScale = "Scale";

// Messages shown to the user.
inline constexpr const char* SIncorrectValue = "Incorrect value";
inline constexpr const char* SIncorrectInformation = "Incorrect information";
/// A stored lookup record larger than the record allows.
inline constexpr const char* SOutLimit = "Out Limit";
/// The lookup combo could not create its key editor.
inline constexpr const char* SErrorCreateEditKod = "Error create EditKod!";
/// The automatic numbering query could not be created.
inline constexpr const char* SAutoIncQueryNotCreated = "Error: AutoIncQuery not created";
/// A window was asked for before the screen existed.
inline constexpr const char* SScreenNotInitialized = "Screen dont initialize";

// Errors.
/// A form file whose LookupLevelsData is not a collection (%s: the field's name).
inline constexpr const char* SLookupLevelsDataNotCollection = "LookupLevelsData of %s is not a collection";

}  // namespace qor
