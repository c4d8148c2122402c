// Dump.h - one block's data as `qvnf dump` shows them: a hex listing with
// file offsets, typed values in the file's byte order, or text.
#ifndef QVBASE_TOOLS_QVNF_DUMP_H
#define QVBASE_TOOLS_QVNF_DUMP_H

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "Image.h"
#include "Tree.h"

namespace qvnf {

enum class DumpAs { Hex, I32, U32, F32, F64, Text };

/// "hex", "i32", "u32", "f32", "f64" or "text"; false for anything else.
bool ParseDumpAs(const std::string& word, DumpAs& as);
const char* DumpAsName(DumpAs as);

/// The block a dump names: the first top-level block stored under name
/// (its first 8 characters, as the library finds it), else the first such
/// nested block in file order; or the block, top-level or nested, whose
/// id block begins at address. Null when there is none.
const TreeNode* FindBlock(const std::vector<TreeNode>& tree,
                          const std::string& name);
const TreeNode* FindBlockAt(const std::vector<TreeNode>& tree,
                            std::int64_t address);

/// Where a found block's data lie; false (with why) when its end address
/// gives it no extent. A null block has empty data.
bool DataExtent(const TreeNode& node, std::int64_t& from, std::int64_t& size,
                std::string& why);

/// Hands each line of the hex listing of the size bytes at from to line:
/// "0000008a: 00 00 80 3f ...  ...?" with 16 bytes a line and the file
/// offset of the first one.
void HexListing(const View& v, std::int64_t from, std::int64_t size,
                const std::function<void(const std::string&)>& line);

struct DumpValue {
  std::int64_t offset = 0;   // in the file
  std::int64_t integer = 0;  // i32 and u32
  double real = 0;           // f32 and f64
};

/// Hands each whole value of the data to value; returns the number of
/// bytes left over at the end, too few for one more value.
std::int64_t TypedValues(const View& v, std::int64_t from, std::int64_t size,
                         DumpAs as,
                         const std::function<void(const DumpValue&)>& value);
/// A value as the text listing prints it ("%d", "%u", "%.9g", "%.17g").
std::string ValueText(const DumpValue& value, DumpAs as);

/// The bytes as text: printable characters, tab and line feed as they
/// are, a backslash doubled, every other byte as \xNN.
std::string EscapedText(const View& v, std::int64_t from, std::int64_t size);

}  // namespace qvnf

#endif  // QVBASE_TOOLS_QVNF_DUMP_H
