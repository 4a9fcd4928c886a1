// The framework's own message texts, kept in one place.
#pragma once

namespace fw {

inline constexpr const char* SListIndexError = "List index out of bounds (%d)";
inline constexpr const char* SAssignError = "Cannot assign a %s to a %s";
inline constexpr const char* SOperationAborted = "Operation aborted";
inline constexpr const char* SFieldNotFound = "%s: Field '%s' not found";
inline constexpr const char* SLookupInfoError = "Lookup information for field '%s' is incomplete";
inline constexpr const char* SCircularDataLink = "Circular datalinks are not allowed";
inline constexpr const char* SPropDefByLookup = "Property already defined by lookup field";
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
inline constexpr const char* SCollectionItemClass = "Class %s cannot be created in a collection";
inline constexpr const char* SPropertyRange = "Value %d out of range for property %s";
inline constexpr const char* SPropertyValue = "Invalid value '%s' for property %s";
inline constexpr const char* SMethodNotFound = "Method %s not found in %s";
inline constexpr const char* SMethodSignature = "Method %s does not match the event %s";

// Datasets and fields.
inline constexpr const char* SUnknownField = "Field '%s' not found";
inline constexpr const char* SRecordNotFound = "Record not found";
inline constexpr const char* SDataSetReadOnly = "Cannot modify a read-only dataset";
inline constexpr const char* SFieldReadOnly = "Field '%s' cannot be modified";
inline constexpr const char* SNotEditing = "Dataset not in edit or insert mode";
inline constexpr const char* SFieldRequired = "Field '%s' must have a value";
inline constexpr const char* SDataSetEmpty = "Cannot perform this operation on an empty dataset";
inline constexpr const char* SInvalidFieldSize = "Invalid field size %d";
inline constexpr const char* SFieldNoDataSet = "Field '%s' has no dataset";
inline constexpr const char* SFieldAccessError = "Field '%s' cannot hold a value of type %s";
inline constexpr const char* SFieldValueError = "Invalid value for field '%s': %s";
inline constexpr const char* SFieldConvertError = "Field '%s': %s";
inline constexpr const char* SUnknownFieldType = "Unknown field type";

// Filter expressions: the message, then the reasons it gives.
inline constexpr const char* SFilterInvalid = "Filter expression \"%s\" is invalid: %s at position %d";
inline constexpr const char* SFilterIncomplete =
    "Filter expression \"%s\" is incomplete: expected %s at position %d";
inline constexpr const char* SFilterUnexpected =
    "Filter expression \"%s\" is invalid: unexpected %s at position %d; expected %s";
inline constexpr const char* SFilterCompare = "Cannot compare %s with %s in filter \"%s\"";
inline constexpr const char* SFilterNotBoolean = "%s is not a Boolean condition in filter \"%s\"";
inline constexpr const char* SFilterFieldNotFound = "Field '%s' not found in filter \"%s\"";
inline constexpr const char* SFilterNotBound = "Filter \"%s\" is not bound to fields";
inline constexpr const char* SFilterNumberRange = "number out of range";
inline constexpr const char* SFilterUnterminatedName = "unterminated field name";
inline constexpr const char* SFilterEmptyName = "empty field name";
inline constexpr const char* SFilterUnexpectedChar = "unexpected character '%s'";
inline constexpr const char* SFilterStringToken = "string %s";
inline constexpr const char* SFilterField = "field '%s'";
inline constexpr const char* SFilterFieldOfType = "field '%s' (%s)";

// Form files: reading and writing their text (after "line %d, column %d: ").
inline constexpr const char* SFormPosition = "line %d, column %d: ";
inline constexpr const char* SNestingTooDeep = "nesting deeper than %d levels";
inline constexpr const char* SUnterminatedString = "unterminated string";
inline constexpr const char* SFormExpected = "expected %s but found %s";
inline constexpr const char* SFormIdentAfterDot = "expected identifier after '.'";
inline constexpr const char* SFormInvalidNumber = "invalid number %s";
inline constexpr const char* SFormFloatRange = "float out of range %s";
inline constexpr const char* SFormIntegerRange = "integer out of range %s";
inline constexpr const char* SFormStringChar = "invalid character #%d in string";
inline constexpr const char* SFormStringUtf8 = "invalid UTF-8 in string";
inline constexpr const char* SFormCharCodeMissing = "expected character code after '#'";
inline constexpr const char* SFormCharCode = "invalid character code %s";
inline constexpr const char* SFormOddHexDigits = "odd number of hex digits in binary value";
inline constexpr const char* SFormNotFinite = "cannot write a float that is not finite";
inline constexpr const char* SFormInvalidName = "invalid %s %s";
inline constexpr const char* SFormUntypedValue = "cannot write a value without a type";
inline constexpr const char* SFormUnknownValueType = "cannot write a value of unknown type";
inline constexpr const char* SFormWrongKind = "property %s expects %s but the file has %s";
inline constexpr const char* SFormObjectsTooDeep = "objects nested too deeply";
inline constexpr const char* SFormUnknownClass = "unknown class %s";
inline constexpr const char* SFormNotComponentClass = "class %s is not a component class";
inline constexpr const char* SFormUnknownProperty = "unknown property %s of %s";
inline constexpr const char* SFormNoSubProperties = "property %s of %s has no sub-properties";
inline constexpr const char* SFormNoObject = "property %s holds no object";
inline constexpr const char* SFormNoElement = "property %s has no element %s";
inline constexpr const char* SFormReadOnly = "property %s is read-only";
inline constexpr const char* SFormUnresolved = "reference %s names no component";
inline constexpr const char* SFormReferenceClass = "property %s expects a %s but %s is a %s";
inline constexpr const char* SFormRootClass = "the file holds a %s, not a %s";

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

// The engine: datasets, tables and queries, databases and drivers, aliases and their store.
inline constexpr const char* SMissingDatabaseName = "Missing DatabaseName";
inline constexpr const char* SMissingTableName = "Missing TableName";
inline constexpr const char* STableWhat = "Table '%s'";
inline constexpr const char* SStatementWhat = "Statement \"%s\"";
inline constexpr const char* SStatementRefused = "Statement \"%s\" is refused";
inline constexpr const char* SStatementFailed = "Statement \"%s\" failed";
inline constexpr const char* SStatementNoRows = "Statement \"%s\" returns no rows";
inline constexpr const char* SNoSQLStatement = "No SQL statement available";
inline constexpr const char* SParamWhat = "Parameter '%s'";
inline constexpr const char* SParamNotFound = "Parameter '%s' not found";
inline constexpr const char* SNoParamValue = "No value for parameter '%s'";
inline constexpr const char* SFieldNotInResult = "Field '%s' not found in %s";
inline constexpr const char* SFieldNoDataType = "Field '%s' has no data type";
inline constexpr const char* SIndexNotFound = "Index '%s' not found";
inline constexpr const char* SIndexDefsWhat = "Index definitions of '%s'";
inline constexpr const char* SMasterFieldsMismatch = "MasterFields '%s' do not match the detail's fields";
inline constexpr const char* SReadOnlyTable = "Cannot modify a read-only dataset";
inline constexpr const char* SCannotPostTo = "Cannot post to table '%s'";
inline constexpr const char* SCannotDeleteFrom = "Cannot delete from table '%s'";
inline constexpr const char* SRecordDeletedByOther = "%s: the record was deleted by another user";
inline constexpr const char* STableExists = "Table '%s' already exists";
inline constexpr const char* STableNoFields = "Table '%s' has no fields";
inline constexpr const char* STwoPrimaryIndexes = "Table '%s' has more than one primary index";
inline constexpr const char* SCannotCreateTable = "Cannot create table '%s'";
inline constexpr const char* SCannotEmptyTable = "Cannot empty table '%s'";
inline constexpr const char* STableNoFile = "Table '%s' does not exist: no file '%s'";
inline constexpr const char* SCannotDeleteTableFile = "Cannot delete table file '%s': %s";
inline constexpr const char* SConnectedDatabaseName = "Cannot change the name of a connected database";
inline constexpr const char* SConnectedDatabaseAlias = "Cannot change the alias of a connected database";
inline constexpr const char* SConnectedDatabaseDriver = "Cannot change the driver of a connected database";
inline constexpr const char* SDatabaseWhat = "database '%s'";
inline constexpr const char* SAliasWhat = "alias '%s'";
inline constexpr const char* SNoPath = "No PATH for %s";
inline constexpr const char* SUnknownDriver = "Unknown driver '%s' for %s";
inline constexpr const char* SNoDirectory = "Directory '%s' of %s does not exist";
inline constexpr const char* SCannotOpen = "Cannot open '%s': %s";
inline constexpr const char* SOutOfMemory = "out of memory";
inline constexpr const char* SNotConnected = "%s: not connected";
inline constexpr const char* SDriverFailure = "%s: %s";
inline constexpr const char* SCannotAttach = "Cannot attach table file '%s'";
inline constexpr const char* SCannotDetach = "Cannot detach the table file of schema '%s'";
inline constexpr const char* STableFileUnreadable = "Table file '%s' cannot be read";
inline constexpr const char* SAliasExists = "Alias '%s' already exists";
inline constexpr const char* SAliasNotFound = "Alias '%s' not found";
inline constexpr const char* SInvalidAliasName = "Invalid alias name '%s'";
inline constexpr const char* SInvalidAliasDriver = "Invalid driver name '%s' of alias '%s'";
inline constexpr const char* SInvalidAliasParam = "Invalid parameter '%s' of alias '%s'";
inline constexpr const char* SStoreUnreadable = "Cannot read the alias store %s: %s";
inline constexpr const char* SStoreUnwritable = "Cannot write the alias store %s: %s";
inline constexpr const char* SStoreCorrupt = "Corrupt alias store %s, line %d: %s";
inline constexpr const char* SStoreNoDriver = "alias '%s' has no DRIVER line";
inline constexpr const char* SStoreOpenSection = "section header without ']'";
inline constexpr const char* SStoreInvalidName = "invalid alias name '%s'";
inline constexpr const char* SStoreDuplicateAlias = "duplicate alias '%s'";
inline constexpr const char* SStoreOutsideSection = "line outside an alias section";
inline constexpr const char* SStoreNoEquals = "line without '='";
inline constexpr const char* SStoreNoParamName = "parameter without a name";
inline constexpr const char* SStoreSecondDriver = "second DRIVER line of alias '%s'";
inline constexpr const char* SStoreEmptyDriver = "empty DRIVER of alias '%s'";

// Data-aware controls: the navigator's button hints.
inline constexpr const char* SFirstRecord = "First record";
inline constexpr const char* SPriorRecord = "Prior record";
inline constexpr const char* SNextRecord = "Next record";
inline constexpr const char* SLastRecord = "Last record";
inline constexpr const char* SInsertRecord = "Insert record";
inline constexpr const char* SDeleteRecord = "Delete record";
inline constexpr const char* SEditRecord = "Edit record";
inline constexpr const char* SPostEdit = "Post edit";
inline constexpr const char* SCancelEdit = "Cancel edit";
inline constexpr const char* SRefreshRecord = "Refresh data";

// Standard and data-aware controls.
inline constexpr const char* SMaskEditErr =
    "Invalid input value '%s' for the edit mask '%s': character %d must be %s. Press Esc to abandon the changes";
inline constexpr const char* SMaskDigit = "a digit";
inline constexpr const char* SMaskDigitOrSign = "a digit, + or -";
inline constexpr const char* SMaskLetter = "a letter";
inline constexpr const char* SMaskLetterOrDigit = "a letter or a digit";
inline constexpr const char* SMaskAnyChar = "a character";

}  // namespace fw
