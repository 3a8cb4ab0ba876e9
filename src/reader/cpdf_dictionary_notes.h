#ifndef QUILLTURN_SRC_READER_CPDF_DICTIONARY_NOTES_H_
#define QUILLTURN_SRC_READER_CPDF_DICTIONARY_NOTES_H_

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "objects/cpdf_lexer.h"
#include "objects/pdf_token.h"
#include "reader/page_facts.h"
#include "reader/rotate_spots.h"

// What one step over a dictionary notes for the passes after it: where its top-level /Rotate
// values stand (the patch), a page's facts (the walk) and its first /Length entry (a stream's
// body). The object map and the object-stream member frames both step over dictionaries here,
// so that both take the same tokens to the same end and note them alike.
class CPdfDictionaryNotes {
 public:
  // How the step went, as both kinds of frame keep it.
  enum Flag : uint8_t {
    kClosed = 1,      // closed by its ">>", every value in it closed too
    kOpenJoins = 2,   // a number written after the "<<" would join the tokens after it
    kValueJoins = 4,  // ... after one of the /Rotate values
    kSpotsRead = 8,   // every key's bytes were held to tell whether it spells /Rotate
  };

  // With "<<" just read (it ends at open_end): steps over the dictionary entry by entry, as
  // StepOverValue steps over it, and gives its last token (">>", or an empty end where the
  // object's end leaves it open). view(begin, end) gives the bytes [begin, end) or null when they
  // are no longer held; length_key(key) tells whether a key spells /Length.
  template <typename Source, typename View, typename LengthKey>
  PdfToken Take(CPdfLexer<Source>& lexer,
                uint64_t open_end,
                const View& view,
                const LengthKey& length_key);

  uint8_t Flags() const { return flags_; }
  const RotateSpots& Spots() const { return spots_; }
  // The facts of a page, when they are known and the dictionary is one.
  bool Facts(PageFacts* facts) const { return facts_known_ && (*facts = facts_, true); }
  // The first /Length entry, or null.
  const PdfDictEntry* Length() const { return have_length_ ? &length_ : nullptr; }
  // Whether /Length was given again with other bytes (or bytes no longer held): readers take
  // the last, the body finder the first, and a body cut by either may lose the rest.
  bool LengthsDiffer() const { return lengths_differ_; }

 private:
  // Whether two entries' values are the same bytes (false when either is no longer held).
  template <typename View>
  static bool SameBytes(const View& view, const PdfDictEntry& a, const PdfDictEntry& b);

  RotateSpots spots_;
  PageFacts facts_;
  PdfDictEntry length_;
  bool have_length_ = false;
  bool lengths_differ_ = false;
  bool facts_known_ = false;
  uint8_t flags_ = 0;
};

template <typename View>
bool CPdfDictionaryNotes::SameBytes(const View& view,
                                    const PdfDictEntry& a,
                                    const PdfDictEntry& b) {
  const uint64_t length = a.value_end - a.value_begin;
  if (length != b.value_end - b.value_begin) {
    return false;
  }
  const uint8_t* x = view(a.value_begin, a.value_end);
  const uint8_t* y = x ? view(b.value_begin, b.value_end) : nullptr;
  return y && std::memcmp(x, y, static_cast<size_t>(length)) == 0;
}

template <typename Source, typename View, typename LengthKey>
PdfToken CPdfDictionaryNotes::Take(CPdfLexer<Source>& lexer,
                                   uint64_t open_end,
                                   const View& view,
                                   const LengthKey& length_key) {
  // The values' room is kept from one dictionary to the next.
  spots_.values.clear();
  spots_.open_joins = spots_.value_joins = false;
  spots_.complete = true;
  spots_.open_end = open_end;
  have_length_ = false;
  lengths_differ_ = false;
  PageFactsNoter page;
  const auto rotate_key = [&view](const PdfToken& key) {
    // A name's decoded bytes are never more than its own: a shorter one cannot spell "Rotate".
    const uint64_t length = key.end - key.begin - 1;
    if (length < 6) {
      return 0;
    }
    const uint8_t* bytes = view(key.begin + 1, key.end);
    return !bytes ? -1 : PdfNameIs(bytes, length, "Rotate") ? 1 : 0;
  };
  const PdfToken close = NoteRotateSpots(
      lexer, rotate_key,
      [&](const PdfDictEntry& entry) {
        if (length_key(entry.key)) {
          if (!have_length_) {
            have_length_ = true;
            length_ = entry;
          } else if (!lengths_differ_) {
            lengths_differ_ = !SameBytes(view, length_, entry);
          }
        }
        page.Note(entry, view);
      },
      &spots_);
  facts_known_ = page.Finish(close, &facts_);
  flags_ = static_cast<uint8_t>((close.kind == PdfTokenKind::kDictClose ? kClosed : 0) |
                                (spots_.open_joins ? kOpenJoins : 0) |
                                (spots_.value_joins ? kValueJoins : 0) |
                                (spots_.complete ? kSpotsRead : 0));
  return close;
}

#endif  // QUILLTURN_SRC_READER_CPDF_DICTIONARY_NOTES_H_
