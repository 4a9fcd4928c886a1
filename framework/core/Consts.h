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

}  // namespace fw
