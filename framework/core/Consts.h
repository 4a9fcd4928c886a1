// The framework's own message texts, kept in one place.
#pragma once

namespace fw {

inline constexpr const char* SListIndexError = "List index out of bounds (%d)";
inline constexpr const char* SAssignError = "Cannot assign a %s to a %s";
inline constexpr const char* SOperationAborted = "Operation aborted";
inline constexpr const char* SFieldNotFound = "%s: Field '%s' not found";
inline constexpr const char* SLookupInfoError = "Lookup information for field '%s' is incomplete";
inline constexpr const char* SCircularDataLink = "Circular datalinks are not allowed";
inline constexpr const char* SDataSetOpen = "Cannot perform this operation on an open dataset";
inline constexpr const char* SDataSetClosed = "Cannot perform this operation on a closed dataset";
inline constexpr const char* SDeleteRecordQuestion = "Delete record?";
inline constexpr const char* SDuplicateName = "A component named %s already exists";
inline constexpr const char* SInvalidName = "'%s' is not a valid component name";
inline constexpr const char* SUnknownProperty = "Property %s does not exist";
inline constexpr const char* SPropertyKind = "Property %s is not of kind %s";
inline constexpr const char* SReadOnlyProperty = "Property %s is read-only";
inline constexpr const char* SClassNotFound = "Class %s not found";
inline constexpr const char* SInvalidVarCast = "Could not convert variant of type (%s) into type (%s)";
inline constexpr const char* SVarCompare = "Cannot compare a variant of type (%s) with one of type (%s)";
inline constexpr const char* SVarArrayBounds = "Variant array index out of bounds (%d)";
inline constexpr const char* SInvalidInteger = "'%s' is not a valid integer value";
inline constexpr const char* SInvalidFloat = "'%s' is not a valid floating point value";
inline constexpr const char* SInvalidBoolean = "'%s' is not a valid boolean value";
inline constexpr const char* SInvalidDateTime = "'%s' is not a valid date and time";
inline constexpr const char* SVarOverflow =
    "Overflow while converting variant value %s of type (%s) into type (%s)";
inline constexpr const char* SDateEncodeError = "Invalid argument to date encode";

// Datasets, filters and form loading.
inline constexpr const char* SFilterNumberRange = "number out of range";

// The engine: table names, stored values, connection parameters, locks.
inline constexpr const char* SInvalidTableName =
    "Invalid table name '%s': a table is a file directly inside the database directory %s";
inline constexpr const char* SColumnValueError = "%s, column '%s', row %d: %s";
inline constexpr const char* SColumnOutOfRange = "%s is out of the range of column type %s";
inline constexpr const char* SInvalidBusyTimeout =
    "Invalid BUSY TIMEOUT '%s' of %s: a number of milliseconds from 0 to 2147483647 is expected";
inline constexpr const char* SStoreBadBusyTimeout =
    "invalid BUSY TIMEOUT '%s' of alias '%s' (a number of milliseconds from 0 to 2147483647)";
inline constexpr const char* SDatabaseLocked = "%s: database '%s' is locked by another connection (%s)";
inline constexpr const char* SNoRowIdColumn =
    "Table '%s' has columns named rowid, _rowid_ and oid: its rows cannot be told apart";
// Windows, forms, menus and graphics.
inline constexpr const char* SCannotFocus = "Cannot focus a disabled or invisible window";
inline constexpr const char* SCannotShowModal = "Cannot make a visible window modal";
inline constexpr const char* SParentRequired = "Control '%s' has no parent window";
inline constexpr const char* SControlParentSelf = "A control cannot have itself or one of its children as parent (%s)";
inline constexpr const char* SMenuIndexError = "Menu index out of range";
inline constexpr const char* SMenuReinserted = "Menu inserted twice";
inline constexpr const char* SInvalidImage = "Cannot read the image %s";
inline constexpr const char* SCannotSaveImage = "Cannot save the image as %s";
inline constexpr const char* SNoImageCodecs = "Images need a window system";
inline constexpr const char* SUnknownException = "An unknown error occurred";
inline constexpr const char* SNoClipboardPicture = "The clipboard holds no picture";
inline constexpr const char* SInvalidColor = "'%s' is not a colour";
inline constexpr const char* SInvalidCursor = "'%s' is not a cursor";

// Standard and data-aware controls.
inline constexpr const char* SMaskEditErr =
    "Invalid input value '%s' for the edit mask '%s': character %d must be %s. Press Esc to abandon the changes";
inline constexpr const char* SMaskDigit = "a digit";
inline constexpr const char* SMaskDigitOrSign = "a digit, + or -";
inline constexpr const char* SMaskLetter = "a letter";
inline constexpr const char* SMaskLetterOrDigit = "a letter or a digit";
inline constexpr const char* SMaskAnyChar = "a character";

}  // namespace fw
