#include "zip/HuftBuild.h"

#include <cstring>
#include <new>

#include "zip/ZipUI.h"

namespace kp {

namespace {

constexpr int MaxBits = 16;   // longest code length the formats allow
constexpr int MaxCodes = 288; // largest set: inflate's fixed literal/length codes

}  // namespace

void FreeHuffmanTables(THuft* Table) {
  // Each table is allocated with one entry in front of it that links the
  // table allocated after it.
  while (Table) {
    THuft* block = Table - 1;
    THuft* following = block->Next;
    delete[] block;
    Table = following;
  }
}

int BuildHuffmanTables(const uint8_t* Lengths, unsigned Count, unsigned Simple,
                       const uint16_t* Base, const uint8_t* Extra, THuftTable& Table,
                       int& LookupWidth) {
  Table.reset();
  if (Count > MaxCodes) return huftOversubscribed;

  // Count the codes of each length.
  unsigned count[MaxBits + 1] = {};
  for (unsigned i = 0; i < Count; ++i) {
    if (Lengths[i] > MaxBits) return huftOversubscribed;
    ++count[Lengths[i]];
  }
  if (count[0] == Count) {
    LookupWidth = 0;
    return huftComplete;
  }
  const unsigned realCodes = Count - count[0];

  // Shortest and longest used lengths bound the first-level width.
  int shortest = 1;
  while (count[shortest] == 0) ++shortest;
  int longest = MaxBits;
  while (count[longest] == 0) --longest;
  int width = LookupWidth;
  if (width < shortest) width = shortest;
  if (width > longest) width = longest;
  LookupWidth = width;

  // Codes left unused at each length; below zero the set is over-subscribed.
  int unused = 1 << shortest;
  for (int len = shortest; len < longest; ++len, unused <<= 1)
    if ((unused -= static_cast<int>(count[len])) < 0) return huftOversubscribed;
  if ((unused -= static_cast<int>(count[longest])) < 0) return huftOversubscribed;

  // Symbols in canonical order: by length, then by symbol.
  unsigned offset[MaxBits + 1] = {};
  for (int len = 1; len < MaxBits; ++len) offset[len + 1] = offset[len] + count[len];
  unsigned symbols[MaxCodes];
  for (unsigned s = 0; s < Count; ++s)
    if (Lengths[s] != 0) symbols[offset[Lengths[s]]++] = s;
  const unsigned* next = symbols;
  const unsigned* const end = symbols + realCodes;

  // An incomplete set is topped up with invalid codes of the longest length,
  // so that every table slot gets an entry.
  count[longest] += unused;

  // Walk the codes in increasing order. The code is kept bit-reversed because
  // the tables are indexed by bits in the order they arrive.
  THuft* first = nullptr;
  THuft** link = &first;            // where the next allocation is chained
  THuft* tables[MaxBits];           // the open table of each level
  unsigned sizes[MaxBits] = {};
  unsigned prefix[MaxBits] = {};    // reversed code bits that select each level's table
  int level = -1;
  int consumed = -width;            // bits decoded before the current level's table
  unsigned code = 0;

  try {
    for (int len = shortest; len <= longest; ++len) {
      for (unsigned left = count[len]; left > 0; --left) {
        // Open tables until one reaches this length.
        while (len > consumed + width) {
          ++level;
          consumed += width;
          // Width of the new table: the fewest bits that the codes still to
          // come under this prefix fill, at most the lookup width.
          int limit = longest - consumed;
          if (limit > width) limit = width;
          int bits = len - consumed;
          unsigned slots = 1u << bits;
          if (slots > left) {
            slots -= left;
            const unsigned* c = count + len;
            while (++bits < limit) {
              slots <<= 1;
              if (slots <= *++c) break;
              slots -= *c;
            }
          }
          const unsigned size = 1u << bits;
          THuft* block = new THuft[size + 1];
          std::memset(static_cast<void*>(block), 0, sizeof(THuft) * (size + 1));
          *link = block + 1;
          link = &block->Next;
          tables[level] = block + 1;
          sizes[level] = size;
          prefix[level] = code;
          if (level > 0) {
            THuft entry;
            entry.Op = static_cast<uint8_t>(huftLink + bits);
            entry.Bits = static_cast<uint8_t>(width);
            entry.Next = block + 1;
            tables[level - 1][code >> (consumed - width)] = entry;
          }
        }

        THuft entry;
        entry.Bits = static_cast<uint8_t>(len - consumed);
        if (next >= end) {
          entry.Op = huftInvalid;
          entry.Value = 0;
        } else if (*next < Simple) {
          entry.Op = *next < 256 ? huftLiteral : huftEndOfBlock;
          entry.Value = static_cast<uint16_t>(*next);
          ++next;
        } else {
          entry.Op = Extra[*next - Simple];
          entry.Value = Base[*next - Simple];
          ++next;
        }
        // The entry fills every slot whose low bits are this code.
        const unsigned step = 1u << (len - consumed);
        for (unsigned j = code >> consumed; j < sizes[level]; j += step) tables[level][j] = entry;

        // Next code: increment in reversed bit order.
        unsigned bit = 1u << (len - 1);
        while (code & bit) {
          code ^= bit;
          bit >>= 1;
        }
        code ^= bit;
        // Leave the tables whose prefix the new code no longer has.
        while (level > 0 && (code & ((1u << consumed) - 1)) != prefix[level]) {
          --level;
          consumed -= width;
        }
      }
    }
  } catch (const std::bad_alloc&) {
    FreeHuffmanTables(first);
    ZipUI().MessageBox("*** inflate out of memory ***", "Error", MB_OK);
    return huftNoMemory;
  }
  Table.reset(first);
  return (unused != 0 && longest != 1) ? huftIncomplete : huftComplete;
}

}  // namespace kp
