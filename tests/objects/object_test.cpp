#include <gtest/gtest.h>

#include <map>
#include <utility>

#include "objects/cpdf_array.h"
#include "objects/cpdf_dictionary.h"
#include "objects/cpdf_object.h"
#include "objects/cpdf_resolver.h"
#include "objects/cpdf_string.h"

namespace {

// Answers fetches from a table of integers; everything else is null.
class FakeResolver : public CPdfResolver {
 public:
  void GetObject(int32_t num, int32_t gen, CPdfObject& out) override {
    ++calls;
    auto it = values.find({num, gen});
    if (it == values.end()) {
      out.SetNull();
    } else {
      out.SetInt(it->second);
    }
  }
  std::map<std::pair<int32_t, int32_t>, int32_t> values;
  int calls = 0;
};

std::string Bytes(const std::vector<uint8_t>& v) {
  return std::string(v.begin(), v.end());
}

TEST(ObjectTest, CopiesOfTextsAreIndependent) {
  CPdfObject name;
  name.SetName("Page");
  CPdfObject copy(name);
  name.Clear();
  name.Clear();  // a second Clear is harmless
  EXPECT_EQ(PDF_NONE, name.GetKind());
  ASSERT_EQ(PDF_NAME, copy.GetKind());
  EXPECT_STREQ("Page", copy.GetText());
}

TEST(ObjectTest, SharedArraySurvivesOneHolder) {
  CPdfObject a;
  a.NewArray(nullptr);
  CPdfObject b;
  b.Assign(a);
  EXPECT_EQ(2, a.GetArray()->GetRefCount());
  CPdfObject one;
  one.SetInt(1);
  b.GetArray()->Append(one);
  EXPECT_EQ(1, a.GetArray()->GetCount());  // one array seen through both values
  a.Clear();
  ASSERT_EQ(PDF_ARRAY, b.GetKind());
  EXPECT_EQ(1, b.GetArray()->GetRefCount());
  EXPECT_EQ(1, b.GetArray()->At(0).GetInt());
}

TEST(ObjectTest, ResolveFollowsOneLevelOnlyWithAResolver) {
  FakeResolver xref;
  xref.values[{5, 0}] = 42;
  CPdfObject ref;
  ref.SetRef(5, 0);
  CPdfObject resolved;
  ref.Resolve(&xref, resolved);
  EXPECT_EQ(PDF_INT, resolved.GetKind());
  EXPECT_EQ(42, resolved.GetInt());
  CPdfObject unresolved;
  ref.Resolve(nullptr, unresolved);
  EXPECT_EQ(PDF_REF, unresolved.GetKind());
  EXPECT_EQ(5, unresolved.GetRefNum());
  CPdfObject missing;
  CPdfObject other;
  other.SetRef(6, 0);
  other.Resolve(&xref, missing);
  EXPECT_EQ(PDF_NULL, missing.GetKind());
}

TEST(ObjectTest, KeywordIsNotAName) {
  CPdfObject word;
  word.SetKeyword("R");
  CPdfObject name;
  name.SetName("R");
  EXPECT_TRUE(word.IsKeyword("R"));
  EXPECT_FALSE(word.IsKeyword("RR"));
  EXPECT_FALSE(name.IsKeyword("R"));
}

TEST(DictionaryTest, KeysSortInByteOrderAndFirstValueWins) {
  CPdfObject dict;
  dict.NewDictionary(nullptr);
  CPdfObject v;
  const char* keys[] = {"Size", "Root", "Info", "ID", "a", "Z"};
  for (int i = 0; i < 6; ++i) {
    v.SetInt(i);
    dict.GetDict()->Add(keys[i], v);
  }
  v.SetInt(99);
  dict.GetDict()->Add("Root", v);
  ASSERT_EQ(6, dict.GetDict()->GetCount());
  const char* expected[] = {"ID", "Info", "Root", "Size", "Z", "a"};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(expected[i], dict.GetDict()->GetKey(i));
  }
  CPdfObject root;
  dict.GetDict()->Lookup("Root", root);
  EXPECT_EQ(1, root.GetInt());
}

TEST(DictionaryTest, LookupResolvesAndLookupRawDoesNot) {
  FakeResolver xref;
  xref.values[{7, 0}] = 3;
  CPdfObject dict;
  dict.NewDictionary(&xref);
  CPdfObject ref;
  ref.SetRef(7, 0);
  dict.GetDict()->Add("Count", ref);
  CPdfObject null_value;
  null_value.SetNull();
  dict.GetDict()->Add("Gone", null_value);

  CPdfObject a;
  dict.GetDict()->Lookup("Count", a);
  EXPECT_EQ(PDF_INT, a.GetKind());
  CPdfObject b;
  dict.GetDict()->LookupRaw("Count", b);
  EXPECT_EQ(PDF_REF, b.GetKind());
  CPdfObject c;
  dict.GetDict()->Lookup("Missing", c);
  EXPECT_EQ(PDF_NULL, c.GetKind());
  CPdfObject d;
  dict.GetDict()->Lookup("Gone", d);
  EXPECT_EQ(PDF_NULL, d.GetKind());
  dict.GetDict()->SetResolver(nullptr);
  CPdfObject e;
  dict.GetDict()->Lookup("Count", e);
  EXPECT_EQ(PDF_REF, e.GetKind());
}

TEST(DictionaryTest, IsTypeNeedsAStoredName) {
  FakeResolver xref;
  CPdfObject dict;
  dict.NewDictionary(&xref);
  CPdfObject type;
  type.SetName("Pages");
  dict.GetDict()->Add("Type", type);
  EXPECT_FALSE(dict.GetDict()->IsType("Page"));
  EXPECT_TRUE(dict.GetDict()->IsType("Pages"));

  CPdfObject as_string;
  as_string.NewDictionary(nullptr);
  CPdfObject s;
  s.SetString(CPdfString("Page"));
  as_string.GetDict()->Add("Type", s);
  EXPECT_FALSE(as_string.GetDict()->IsType("Page"));
}

TEST(StringTest, HexForms) {
  const uint8_t ff = 0xFF;
  EXPECT_EQ("<41>", Bytes(CPdfString("A").ToHexForm()));
  EXPECT_EQ("<>", Bytes(CPdfString("").ToHexForm()));
  CPdfString high(&ff, 1);
  EXPECT_EQ("<ff>", Bytes(high.ToHexForm()));
  EXPECT_TRUE(high.IsLiteral());
  EXPECT_EQ(1u, high.GetLength());
  const char raw[] = "48 65";
  CPdfString hex(reinterpret_cast<const uint8_t*>(raw), 5);
  hex.SetLiteral(false);
  EXPECT_EQ("<48 65>", Bytes(hex.ToHexForm()));
}

TEST(StringTest, HexDecodeRestoresEveryByte) {
  std::vector<uint8_t> all(256);
  for (int i = 0; i < 256; ++i) {
    all[i] = static_cast<uint8_t>(i);
  }
  std::vector<uint8_t> hex = HexEncode(all.data(), all.size());
  EXPECT_EQ("000102", Bytes(hex).substr(0, 6));
  EXPECT_EQ("0a", Bytes(hex).substr(20, 2));
  EXPECT_EQ(all, HexDecode(hex.data(), hex.size()));
}

}  // namespace
