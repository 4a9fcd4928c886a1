// The interfaces through which persistent objects read and write extra form-file
// properties (DefineProperties): TFiler defines a property, TReader and TWriter carry its
// value. The form-file reader and writer implement them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace fw {

class TCollection;
class TComponent;

/// Kinds of property values in a form file.
enum class TValueType {
  vaNull,        // no value
  vaInteger,     // 123, -5, $FF
  vaFloat,       // 1.5, -2.0, 1E10
  vaString,      // 'text'#13#10'more'
  vaIdent,       // True, False, nil, enumeration names, references (A.B), handler names
  vaSet,         // [a, b]
  vaList,        // ( value value ... )
  vaCollection,  // < item ... end item ... end >
  vaBinary,      // { hex digits }
};

/// Reads the value of one defined property. A value of another kind than asked raises
/// the reader's error, which names the line and column.
class TReader {
 public:
  virtual ~TReader() = default;
  /// The kind of the value (its value-type marker).
  virtual TValueType ReadValue() = 0;
  virtual std::int64_t ReadInteger() = 0;
  virtual double ReadFloat() = 0;
  virtual std::string ReadString() = 0;
  virtual std::string ReadIdent() = 0;
  virtual bool ReadBoolean() = 0;
  virtual std::vector<std::string> ReadStringList() = 0;
  virtual std::vector<std::uint8_t> ReadBinary() = 0;
  /// Reads a collection value's items into `collection` (emptied first).
  virtual void ReadCollection(TCollection* collection) = 0;
  /// The root component being read.
  virtual TComponent* GetRoot() const = 0;
};

/// Writes the value of one defined property (exactly one value per property).
class TWriter {
 public:
  virtual ~TWriter() = default;
  virtual void WriteInteger(std::int64_t value) = 0;
  virtual void WriteFloat(double value) = 0;
  virtual void WriteString(const std::string& value) = 0;
  virtual void WriteIdent(const std::string& value) = 0;
  virtual void WriteBoolean(bool value) = 0;
  virtual void WriteStringList(const std::vector<std::string>& lines) = 0;
  virtual void WriteBinary(const std::vector<std::uint8_t>& data) = 0;
  virtual void WriteCollection(const TCollection* collection) = 0;
  virtual TComponent* GetRoot() const = 0;
};

class TFiler {
 public:
  virtual ~TFiler() = default;
  /// Defines an extra property: `read` runs when a form file holds it, `write` runs when
  /// `hasData` is true and the object is written.
  virtual void DefineProperty(const std::string& name, const std::function<void(TReader&)>& read,
                              const std::function<void(TWriter&)>& write, bool hasData) = 0;
  virtual TComponent* GetRoot() const = 0;
};

}  // namespace fw
