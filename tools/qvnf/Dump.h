// Dump.h - one block's data as `qvnf dump` shows them: a hex listing with
// file offsets, typed values in the file's byte order, or text. Each is
// written while the data are read, a window at a time.
#ifndef QVBASE_TOOLS_QVNF_DUMP_H
#define QVBASE_TOOLS_QVNF_DUMP_H

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "Chain.h"
#include "Cursor.h"
#include "Output.h"

namespace qvnf {

enum class DumpAs { Hex, I32, U32, F32, F64, Text };

/// "hex", "i32", "u32", "f32", "f64" or "text"; false for anything else.
bool ParseDumpAs(const std::string& word, DumpAs& as);
const char* DumpAsName(DumpAs as);

/// A block that a dump names, top-level or nested.
struct FoundBlock {
  BlockInfo block;      // a nested block is Ok; a null block has no data
  bool isNull = false;  // "WyNULL", end address 0, version 0
};

/// The first top-level block stored under name (its first 8 characters,
/// as the library finds it), else the first such nested block in file
/// order, as tree shows them; false when there is none.
bool FindBlock(Cursor& c, const std::string& name, FoundBlock& found);
/// The block, top-level or nested as tree shows them, whose id block
/// begins at address. Only the chain up to it and the nest that holds it
/// are walked.
bool FindBlockAt(Cursor& c, std::int64_t address, FoundBlock& found);

/// Where a found block's data lie; false (with why) when its end address
/// gives it no extent. A null block has empty data.
bool DataExtent(const FoundBlock& found, std::int64_t& from, std::int64_t& size,
                std::string& why);

/// The hex listing of the size bytes at from, 16 a line with the file
/// offset of the first and the bytes as text: "0000008a: 00 00 80 3f ...
/// ...?". Returns the number of lines.
std::int64_t HexListing(Cursor& c, std::int64_t from, std::int64_t size,
                        Out& out);

struct DumpValue {
  std::int64_t offset = 0;   // in the file
  std::int64_t integer = 0;  // i32 and u32
  double real = 0;           // f32 and f64
};

/// Hands each whole value of the data to value; returns the number of
/// bytes left over at the end, too few for one more value.
std::int64_t TypedValues(Cursor& c, std::int64_t from, std::int64_t size,
                         DumpAs as,
                         const std::function<void(const DumpValue&)>& value);
/// A value as the text listing prints it ("%d", "%u", "%.9g", "%.17g").
std::string ValueText(const DumpValue& value, DumpAs as);

/// The bytes as text, in pieces: printable characters, tab and line feed
/// as they are, a backslash doubled, every other byte as \xNN.
void EscapedText(Cursor& c, std::int64_t from, std::int64_t size,
                 const std::function<void(std::string_view)>& piece);

}  // namespace qvnf

#endif  // QVBASE_TOOLS_QVNF_DUMP_H
