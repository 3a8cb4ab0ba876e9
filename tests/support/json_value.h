#ifndef QUILLTURN_TESTS_SUPPORT_JSON_VALUE_H_
#define QUILLTURN_TESTS_SUPPORT_JSON_VALUE_H_

#include <map>
#include <string>
#include <vector>

// A JSON value as qpdf --json prints it. Strings and numbers keep their text as written (with
// escapes), which is enough to compare two outputs of the same program.
class JsonValue {
 public:
  enum class Kind { kNull, kBool, kNumber, kString, kArray, kObject };

  // False when text is not one complete JSON value.
  static bool Parse(const std::string& text, JsonValue* out);
  static JsonValue Number(long long value);

  Kind GetKind() const { return kind_; }
  const std::string& GetText() const { return text_; }
  const std::vector<JsonValue>& GetItems() const { return items_; }
  const std::map<std::string, JsonValue>& GetMembers() const { return members_; }
  std::map<std::string, JsonValue>& GetMembers() { return members_; }
  // The member named key, or nullptr.
  const JsonValue* Find(const std::string& key) const;
  // Compact text, for failure messages.
  std::string ToString() const;

  bool operator==(const JsonValue& other) const;
  bool operator!=(const JsonValue& other) const { return !(*this == other); }

 private:
  bool ParseValue(const std::string& text, size_t* at, int depth);

  Kind kind_ = Kind::kNull;
  std::string text_;  // number, string (without quotes), true/false
  std::vector<JsonValue> items_;
  std::map<std::string, JsonValue> members_;
};

#endif  // QUILLTURN_TESTS_SUPPORT_JSON_VALUE_H_
