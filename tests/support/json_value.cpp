#include "json_value.h"

#include <cctype>
#include <cstring>

namespace {

void SkipSpace(const std::string& text, size_t* at) {
  while (*at < text.size() && std::isspace(static_cast<unsigned char>(text[*at]))) {
    ++*at;
  }
}

// The raw text of the string that starts at the quote at *at, escapes kept.
bool ReadString(const std::string& text, size_t* at, std::string* out) {
  size_t k = *at + 1;
  while (k < text.size() && text[k] != '"') {
    k += text[k] == '\\' ? 2 : 1;
  }
  if (k >= text.size()) {
    return false;
  }
  *out = text.substr(*at + 1, k - *at - 1);
  *at = k + 1;
  return true;
}

}  // namespace

bool JsonValue::Parse(const std::string& text, JsonValue* out) {
  size_t at = 0;
  *out = JsonValue();
  if (!out->ParseValue(text, &at, 0)) {
    return false;
  }
  SkipSpace(text, &at);
  return at == text.size();
}

JsonValue JsonValue::Number(long long value) {
  JsonValue v;
  v.kind_ = Kind::kNumber;
  v.text_ = std::to_string(value);
  return v;
}

bool JsonValue::ParseValue(const std::string& text, size_t* at, int depth) {
  SkipSpace(text, at);
  if (*at >= text.size() || depth > 1000) {
    return false;
  }
  const char c = text[*at];
  if (c == '"') {
    kind_ = Kind::kString;
    return ReadString(text, at, &text_);
  }
  if (c == '[' || c == '{') {
    kind_ = c == '[' ? Kind::kArray : Kind::kObject;
    const char close = c == '[' ? ']' : '}';
    ++*at;
    SkipSpace(text, at);
    if (*at < text.size() && text[*at] == close) {
      ++*at;
      return true;
    }
    for (;;) {
      JsonValue item;
      if (kind_ == Kind::kObject) {
        std::string key;
        SkipSpace(text, at);
        if (*at >= text.size() || text[*at] != '"' || !ReadString(text, at, &key)) {
          return false;
        }
        SkipSpace(text, at);
        if (*at >= text.size() || text[*at] != ':') {
          return false;
        }
        ++*at;
        if (!item.ParseValue(text, at, depth + 1)) {
          return false;
        }
        members_[key] = item;
      } else {
        if (!item.ParseValue(text, at, depth + 1)) {
          return false;
        }
        items_.push_back(item);
      }
      SkipSpace(text, at);
      if (*at < text.size() && text[*at] == ',') {
        ++*at;
        continue;
      }
      if (*at < text.size() && text[*at] == close) {
        ++*at;
        return true;
      }
      return false;
    }
  }
  size_t end = *at;
  while (end < text.size() && std::strchr("+-.0123456789eEtruefalsn", text[end])) {
    ++end;
  }
  text_ = text.substr(*at, end - *at);
  *at = end;
  if (text_ == "null") {
    kind_ = Kind::kNull;
  } else if (text_ == "true" || text_ == "false") {
    kind_ = Kind::kBool;
  } else {
    kind_ = Kind::kNumber;
    return !text_.empty() &&
           (std::isdigit(static_cast<unsigned char>(text_[0])) || text_[0] == '-');
  }
  return true;
}

const JsonValue* JsonValue::Find(const std::string& key) const {
  auto it = members_.find(key);
  return it == members_.end() ? nullptr : &it->second;
}

std::string JsonValue::ToString() const {
  switch (kind_) {
    case Kind::kNull:
      return "null";
    case Kind::kString:
      return "\"" + text_ + "\"";
    case Kind::kArray: {
      std::string out = "[";
      for (const JsonValue& item : items_) {
        out += (out.size() > 1 ? "," : "") + item.ToString();
      }
      return out + "]";
    }
    case Kind::kObject: {
      std::string out = "{";
      for (const auto& [key, value] : members_) {
        out += (out.size() > 1 ? ",\"" : "\"") + key + "\":" + value.ToString();
      }
      return out + "}";
    }
    default:
      return text_;
  }
}

bool JsonValue::operator==(const JsonValue& other) const {
  return kind_ == other.kind_ && text_ == other.text_ && items_ == other.items_ &&
         members_ == other.members_;
}
