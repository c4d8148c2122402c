// tree: the top-level chain with the blocks nested in each block's data,
// printed while the file is walked. The text form first walks the file
// once for the depth of its deepest nest, which sets the name column.
#include <algorithm>
#include <vector>

#include "Commands.h"
#include "FileReport.h"
#include "Nest.h"
#include "Output.h"

namespace qvnf {
namespace {

// Walks the nest of a top-level block whose data can hold one.
template <typename Visit>
void ForNested(Cursor& c, const BlockInfo& b, Visit&& visit) {
  if (b.mark != BlockMark::Ok || b.address == 0) return;
  NestWalk nest(c, std::int64_t{b.address} + kIdBlockSize, b.endAddress,
                kMaxDepth);
  for (NestItem item; nest.Next(item);)
    if (item.kind != NestItem::Broken && !visit(item)) return;
}

BlockInfo NestedInfo(const NestItem& item) {
  return BlockFromId(item.id, item.kind == NestItem::Block);
}

class TextTree {
 public:
  TextTree(Cursor& c, Out& out, int nameWidth)
      : c_(c), out_(out), width_(nameWidth) {}

  void Line(const BlockInfo& b, int depth, bool isNull, bool tooDeep) {
    Fields line(out_);
    line.Right(b.address, 10);
    if (b.mark == BlockMark::Truncated) {
      line.Done();
      PutMark(out_, b, c_.Size());
      out_.Put('\n');
      return;
    }
    // The name indented by its depth, in a column as wide as the deepest.
    line.Text("  ").Spaces(2 * depth).Left(b.name, width_ - 2 * depth);
    if (isNull) {
      line.Text("  null block\n").Done();
      return;
    }
    BlockColumns(line, versions_, b);
    PutMark(out_, b, c_.Size());
    if (tooDeep) out_.Printf("  (nested past depth %d, not shown)", kMaxDepth);
    out_.Put('\n');
  }

 private:
  Cursor& c_;
  Out& out_;
  int width_;
  VersionTexts versions_;
};

// A node's fields after its children, in the sorted order of its keys.
void NodeTail(JsonOut& j, const BlockInfo& b, bool isNull, bool tooDeep,
              std::int64_t fileSize) {
  j.End()
      .Key("data_size")
      .Int(b.dataSize)
      .Key("end_address")
      .Int(b.endAddress)
      .Key("name")
      .Str(b.name);
  if (isNull) j.Key("null").Bool(true);
  if (b.mark != BlockMark::Ok && !isNull)
    j.Key("problem").Str(MarkText(b, fileSize));
  if (tooDeep) j.Key("too_deep").Bool(true);
  j.Key("version").Int(b.version).End();
}

void NodeHead(JsonOut& j, const BlockInfo& b) {
  j.Object().Key("address").Int(b.address).Key("children").Array();
}

int JsonTree(Cursor& c, Out& out) {
  JsonOut j(out);
  j.Object().Key("blocks").Array();
  ChainWalk walk(c);
  std::vector<BlockInfo> open;  // the nested blocks entered, at most 32
  for (BlockInfo b; walk.Next(b);) {
    NodeHead(j, b);
    ForNested(c, b, [&](const NestItem& item) {
      if (item.kind == NestItem::Leave) {
        NodeTail(j, open.back(), false, false, c.Size());
        open.pop_back();
        return true;
      }
      const BlockInfo n = NestedInfo(item);
      NodeHead(j, n);
      if (item.kind == NestItem::Block && item.depth < kMaxDepth)
        open.push_back(n);
      else
        NodeTail(j, n, item.kind == NestItem::Null, item.tooDeep, c.Size());
      return true;
    });
    NodeTail(j, b, IsNullBlock(b), false, c.Size());
  }
  j.End().Key("file").Str(c.Path()).End().Finish();
  return walk.Whole() ? kExitOk : kExitDamaged;
}

}  // namespace

int RunTree(const Options& o) {
  Cursor c;
  if (!c.Open(o.path)) return OpenFailure(c, o.json);
  Out out;
  if (o.json) return JsonTree(c, out);
  int depth = 0;  // of the deepest nested block shown
  ChainWalk first(c);
  for (BlockInfo b; depth < kMaxDepth && first.Next(b);)
    ForNested(c, b, [&depth](const NestItem& item) {
      depth = std::max(depth, item.depth);
      return depth < kMaxDepth;
    });
  TextTree text(c, out, 8 + 2 * depth);
  out.Printf("%10s  %-*s  %-22s  %10s  %10s\n", "address", 8 + 2 * depth,
             "name", "version", "end", "data size");
  ChainWalk walk(c);
  for (BlockInfo b; walk.Next(b);) {
    text.Line(b, 0, IsNullBlock(b), false);
    ForNested(c, b, [&](const NestItem& item) {
      if (item.kind != NestItem::Leave)
        text.Line(NestedInfo(item), item.depth, item.kind == NestItem::Null,
                  item.tooDeep);
      return true;
    });
  }
  return walk.Whole() ? kExitOk : kExitDamaged;
}

}  // namespace qvnf
