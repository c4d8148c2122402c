// A model of N mesh nodes stored to a file and loaded back, by QvBase as
// its documentation shows (qvbase: a model object whose block holds one
// nested block per node, written by WriteNF and read by ReadNF; qvarrays:
// the same object storing each field of all nodes as one array) beside the
// same fields through plain fwrite/fread (raw, the limit), cereal's binary
// archive and FlatBuffers (flatbuffers: the file mapped into memory, its
// fastest load; fbloaded: the file read into a buffer first, as a program
// does that takes its files through a stream), in one run:
//   write/C/N    the whole model to a new file
//   read/C/N     the whole model back into memory from a cold open
//   find/C/N     one node by its name (the last stored) from a cold open
//   walk/qvbase/N  read/qvbase with the node blocks walked by their end
//                addresses (one IdBlock record reused for every
//                ReadIdBlock) instead of in sequence
// Each node: a name of 4-24 characters, an int32 id and parent id, a 4x4
// double transform, an RGBA float colour, a 32-bit flags word and K vertex
// floats (K 90 % uniform in 0-48, 10 % log-uniform in 49-3,000; mean about
// 94), drawn from fixed seeds. Every read is checked against a digest of
// every field of the model (outside the timing); a difference fails the
// case. Files go to /dev/shm when there is one, else the temporary folder,
// so that the figures are the code's and not the storage's.
//
//   model_bench [--million] [benchmark flags]
// N is 10^4 and 10^5; --million adds 10^6 (about 0.6 GB a file).
// bench/model-bench.sh runs it with repetitions and prints the ratios.
#include <QvBase/QvNeutralFile.h>
#include <QvBase/QvWritableObj.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cereal/archives/binary.hpp>
#include <cereal/types/array.hpp>
#include <cereal/types/string.hpp>
#include <cereal/types/vector.hpp>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "BenchRandom.h"
#include "model_bench_generated.h"

namespace {

namespace fs = std::filesystem;

// ---- The model ------------------------------------------------------------

struct Node {
  std::string name;
  std::int32_t id = 0;
  std::int32_t parent = 0;
  std::array<double, 16> transform{};
  std::array<float, 4> color{};
  std::uint32_t flags = 0;
  std::vector<float> vertices;

  template <class Archive>
  void serialize(Archive& ar) {
    ar(name, id, parent, transform, color, flags, vertices);
  }
};
using Nodes = std::vector<Node>;

// Limits a reader takes a count beyond as a damaged file.
constexpr int kMaxName = 255;
constexpr int kMaxVertices = 1 << 20;
constexpr int kMaxNodes = 1 << 24;

Nodes MakeModel(int n) {
  std::uint64_t seed = 0x40AB5EEDull;
  auto unit = [&seed] {
    return static_cast<double>(qvbench::Mix(seed) >> 11) * 0x1.0p-53;
  };
  Nodes nodes(static_cast<std::size_t>(n));
  const double lo = std::log(49.0), hi = std::log(3001.0);
  for (int i = 0; i < n; ++i) {
    Node& node = nodes[static_cast<std::size_t>(i)];
    const int length = 4 + static_cast<int>(qvbench::Mix(seed) % 21);
    for (int c = 0; c < length; ++c)
      node.name += static_cast<char>('a' + qvbench::Mix(seed) % 26);
    node.id = i + 1;
    node.parent =
        i == 0
            ? 0
            : 1 + static_cast<std::int32_t>(qvbench::Mix(seed) % unsigned(i));
    for (double& v : node.transform) v = unit() * 200.0 - 100.0;
    for (float& v : node.color) v = static_cast<float>(unit());
    node.flags = static_cast<std::uint32_t>(qvbench::Mix(seed));
    int k = 0;
    if (qvbench::Mix(seed) % 10 != 0)
      k = static_cast<int>(qvbench::Mix(seed) % 49);
    else
      k = std::min(3000, static_cast<int>(std::exp(lo + unit() * (hi - lo))));
    node.vertices.resize(static_cast<std::size_t>(k));
    for (float& v : node.vertices) v = static_cast<float>(unit() * 20.0 - 10.0);
  }
  return nodes;
}

// A digest of every field of every node, eight bytes at a time.
class Digest {
 public:
  void Add(const void* data, std::size_t size) {
    const auto* p = static_cast<const unsigned char*>(data);
    std::uint64_t word = 0;
    for (; size >= 8; size -= 8, p += 8) {
      std::memcpy(&word, p, 8);
      Step(word);
    }
    word = size;
    std::memcpy(&word, p, size);
    Step(word ^ (std::uint64_t{size} << 56));
  }
  std::uint64_t Value() const { return m_H; }

 private:
  void Step(std::uint64_t word) {
    m_H = (m_H ^ word) * 0x9E3779B97F4A7C15ull;
    m_H ^= m_H >> 29;
  }
  std::uint64_t m_H = 0xCBF29CE484222325ull;
};

std::uint64_t DigestOf(const Node& n, Digest d = {}) {
  d.Add(n.name.data(), n.name.size());
  d.Add(&n.id, sizeof n.id);
  d.Add(&n.parent, sizeof n.parent);
  d.Add(n.transform.data(), sizeof n.transform);
  d.Add(n.color.data(), sizeof n.color);
  d.Add(&n.flags, sizeof n.flags);
  d.Add(n.vertices.data(), n.vertices.size() * sizeof(float));
  return d.Value();
}

std::uint64_t DigestOf(const Nodes& nodes) {
  Digest d;
  const std::uint64_t count = nodes.size();
  d.Add(&count, sizeof count);
  std::uint64_t h = 0;
  for (const Node& n : nodes) {
    h = DigestOf(n, d);
    d.Add(&h, sizeof h);
  }
  return d.Value();
}

// ---- QvBase ---------------------------------------------------------------

constexpr unsigned int kModelVersion = 20261208;
constexpr unsigned int kNodeVersion = 20261208;

bool WriteNode(QvNeutralFile& f, const Node& n) {
  const std::int32_t block = f.WriteIdBlock("MeshNode", kNodeVersion);
  const int length = static_cast<int>(n.name.size());
  const int k = static_cast<int>(n.vertices.size());
  return block >= 0 && f.WriteInt(length) &&
         f.WriteString(n.name.c_str(), length) && f.WriteLong(n.id) &&
         f.WriteLong(n.parent) && f.WriteDouble(n.transform.data(), 16) &&
         f.WriteFloat(n.color.data(), 4) && f.WriteUInt(n.flags) &&
         f.WriteInt(k) && f.WriteFloat(n.vertices.data(), k) &&
         f.UpdateIdBlock(block);
}

// Reads the id block of the next node: here when walk is false, else at
// the end address of the node block that `block` last held.
bool ReadNodeBlock(QvNeutralFile& f, QvNeutralFile::IdBlock& block, bool walk) {
  if (!walk) block.m_EndAddress = -1;
  return f.ReadIdBlock(block) && std::strcmp(block.m_Name, "MeshNode") == 0 &&
         block.m_Version == kNodeVersion;
}

bool ReadNodeName(QvNeutralFile& f, std::string& name) {
  char text[kMaxName + 1];
  int length = 0;
  if (!f.ReadInt(&length, 1) || length < 0 || length > kMaxName ||
      !f.ReadString(text, length))
    return false;
  name.assign(text, static_cast<std::size_t>(length));
  return true;
}

bool ReadNodeRest(QvNeutralFile& f, Node& n) {
  int k = 0;
  if (!f.ReadLong(&n.id, 1) || !f.ReadLong(&n.parent, 1) ||
      !f.ReadDouble(n.transform.data(), 16) ||
      !f.ReadFloat(n.color.data(), 4) || !f.ReadUInt(&n.flags, 1) ||
      !f.ReadInt(&k, 1) || k < 0 || k > kMaxVertices)
    return false;
  n.vertices.resize(static_cast<std::size_t>(k));
  return f.ReadFloat(n.vertices.data(), k);
}

// The model as an application stores it: one block holding the node count
// and a nested block for each node.
class ModelObj : public QvWritableObj {
 public:
  explicit ModelObj(Nodes& nodes, bool walk = false)
      : m_Nodes(nodes), m_Walk(walk) {}
  const char* IdString() const override { return "MeshModl"; }
  unsigned int Version() const override { return kModelVersion; }
  bool WriteDataBlock(QvNeutralFile& f) const override {
    bool ok = f.WriteInt(static_cast<int>(m_Nodes.size()));
    for (const Node& n : m_Nodes) ok = ok && WriteNode(f, n);
    return ok;
  }
  bool ReadDataBlock(QvNeutralFile& f, unsigned int version) override {
    int count = 0;
    if (version != kModelVersion || !f.ReadInt(&count, 1) || count < 0 ||
        count > kMaxNodes)
      return false;
    m_Nodes.resize(static_cast<std::size_t>(count));
    QvNeutralFile::IdBlock block;
    block.m_EndAddress = -1;  // the first node block is here
    for (Node& n : m_Nodes)
      if (!ReadNodeBlock(f, block, m_Walk) || !ReadNodeName(f, n.name) ||
          !ReadNodeRest(f, n))
        return false;
    return true;
  }

 private:
  Nodes& m_Nodes;
  bool m_Walk;
};

bool QvWrite(const Nodes& nodes, const std::string& path) {
  return ModelObj(const_cast<Nodes&>(nodes)).WriteNF(path.c_str());
}

bool QvRead(const std::string& path, Nodes& nodes) {
  return ModelObj(nodes).ReadNF(path.c_str());
}

bool QvWalk(const std::string& path, Nodes& nodes) {
  return ModelObj(nodes, true).ReadNF(path.c_str());
}

// Finds the model block, then walks its node blocks by their end
// addresses, reading only each name until the one looked for.
bool QvFind(const std::string& path, const std::string& name, Node& out) {
  QvNeutralFile f;
  QvNeutralFile::IdBlock block;
  int count = 0;
  if (!f.OpenToRead(path.c_str()) || !f.ScanIdBlock("MeshModl", block) ||
      !f.ReadInt(&count, 1) || count < 0 || count > kMaxNodes)
    return false;
  block.m_EndAddress = -1;
  for (int i = 0; i < count; ++i) {
    if (!ReadNodeBlock(f, block, true) || !ReadNodeName(f, out.name))
      return false;
    if (out.name == name) return ReadNodeRest(f, out);
  }
  return false;
}

// The same model as one block of arrays, a field of every node after
// another: name lengths, the names end to end, ids, parents, transforms,
// colours, flags, vertex counts and all vertices. No block per node.
class ModelArrays : public QvWritableObj {
 public:
  explicit ModelArrays(Nodes& nodes) : m_Nodes(nodes) {}
  const char* IdString() const override { return "MeshArrs"; }
  unsigned int Version() const override { return kModelVersion; }
  bool WriteDataBlock(QvNeutralFile& f) const override {
    const int n = static_cast<int>(m_Nodes.size());
    std::vector<int> lengths, counts;
    std::string names;
    std::vector<std::int32_t> ids, parents;
    std::vector<double> transforms;
    std::vector<float> colors, vertices;
    std::vector<unsigned int> flags;
    std::size_t total = 0;
    for (const Node& node : m_Nodes) total += node.vertices.size();
    const auto size = m_Nodes.size();
    lengths.reserve(size);
    counts.reserve(size);
    ids.reserve(size);
    parents.reserve(size);
    transforms.reserve(16 * size);
    colors.reserve(4 * size);
    flags.reserve(size);
    vertices.reserve(total);
    for (const Node& node : m_Nodes) {
      lengths.push_back(static_cast<int>(node.name.size()));
      names += node.name;
      ids.push_back(node.id);
      parents.push_back(node.parent);
      transforms.insert(transforms.end(), node.transform.begin(),
                        node.transform.end());
      colors.insert(colors.end(), node.color.begin(), node.color.end());
      flags.push_back(node.flags);
      counts.push_back(static_cast<int>(node.vertices.size()));
      vertices.insert(vertices.end(), node.vertices.begin(),
                      node.vertices.end());
    }
    const int chars = static_cast<int>(names.size());
    const int floats = static_cast<int>(vertices.size());
    return f.WriteInt(n) && f.WriteInt(chars) && f.WriteInt(floats) &&
           f.WriteInt(lengths.data(), n) &&
           f.WriteString(names.data(), chars) && f.WriteLong(ids.data(), n) &&
           f.WriteLong(parents.data(), n) &&
           f.WriteDouble(transforms.data(), 16 * n) &&
           f.WriteFloat(colors.data(), 4 * n) && f.WriteUInt(flags.data(), n) &&
           f.WriteInt(counts.data(), n) &&
           f.WriteFloat(vertices.data(), floats);
  }
  bool ReadDataBlock(QvNeutralFile& f, unsigned int version) override {
    int n = 0, chars = 0, floats = 0;
    if (version != kModelVersion || !f.ReadInt(&n, 1) ||
        !f.ReadInt(&chars, 1) || !f.ReadInt(&floats, 1) || n < 0 ||
        n > kMaxNodes || chars < 0 || chars > std::int64_t{kMaxName} * n ||
        floats < 0 || floats > (1 << 29))
      return false;
    const auto size = static_cast<std::size_t>(n);
    std::vector<int> lengths(size), counts(size);
    std::string names(static_cast<std::size_t>(chars) + 1, '\0');
    std::vector<std::int32_t> ids(size), parents(size);
    std::vector<double> transforms(16 * size);
    std::vector<float> colors(4 * size),
        vertices(static_cast<std::size_t>(floats));
    std::vector<unsigned int> flags(size);
    if (!f.ReadInt(lengths.data(), n) || !f.ReadString(names.data(), chars) ||
        !f.ReadLong(ids.data(), n) || !f.ReadLong(parents.data(), n) ||
        !f.ReadDouble(transforms.data(), 16 * n) ||
        !f.ReadFloat(colors.data(), 4 * n) || !f.ReadUInt(flags.data(), n) ||
        !f.ReadInt(counts.data(), n) || !f.ReadFloat(vertices.data(), floats))
      return false;
    m_Nodes.resize(size);
    std::size_t name = 0, vertex = 0;
    for (std::size_t i = 0; i < size; ++i) {
      Node& node = m_Nodes[i];
      const auto length = static_cast<std::size_t>(lengths[i]);
      const auto k = static_cast<std::size_t>(counts[i]);
      if (lengths[i] < 0 || counts[i] < 0 || length > names.size() - 1 - name ||
          k > vertices.size() - vertex)
        return false;
      node.name.assign(names, name, length);
      name += length;
      node.id = ids[i];
      node.parent = parents[i];
      std::copy_n(&transforms[16 * i], 16, node.transform.begin());
      std::copy_n(&colors[4 * i], 4, node.color.begin());
      node.flags = flags[i];
      node.vertices.assign(&vertices[vertex], &vertices[vertex] + k);
      vertex += k;
    }
    return true;
  }

 private:
  Nodes& m_Nodes;
};

bool QvArraysWrite(const Nodes& nodes, const std::string& path) {
  return ModelArrays(const_cast<Nodes&>(nodes)).WriteNF(path.c_str());
}

bool QvArraysRead(const std::string& path, Nodes& nodes) {
  return ModelArrays(nodes).ReadNF(path.c_str());
}

// Reads the names, then each field of the node found where its array puts
// it: the vertex counts before it give its vertices' place.
bool QvArraysFind(const std::string& path, const std::string& wanted,
                  Node& out) {
  QvNeutralFile f;
  QvNeutralFile::IdBlock block;
  int n = 0, chars = 0, floats = 0;
  if (!f.OpenToRead(path.c_str()) || !f.ScanIdBlock("MeshArrs", block) ||
      !f.ReadInt(&n, 1) || !f.ReadInt(&chars, 1) || !f.ReadInt(&floats, 1) ||
      n < 0 || n > kMaxNodes || chars < 0 || chars > std::int64_t{kMaxName} * n)
    return false;
  const auto size = static_cast<std::size_t>(n);
  std::vector<int> lengths(size);
  std::string names(static_cast<std::size_t>(chars) + 1, '\0');
  std::int32_t base = 0;
  if (!f.ReadInt(lengths.data(), n) || !f.ReadString(names.data(), chars) ||
      !f.GetFilePosition(base))
    return false;
  std::size_t at = 0, i = 0;
  for (; i < size; ++i) {
    const auto length = static_cast<std::size_t>(lengths[i]);
    if (lengths[i] < 0 || length > names.size() - 1 - at) return false;
    if (length == wanted.size() && names.compare(at, length, wanted) == 0)
      break;
    at += length;
  }
  if (i == size) return false;
  out.name = wanted;
  const auto field = [&](std::int64_t offset) {
    return f.GoToFilePosition(static_cast<std::int32_t>(base + offset));
  };
  const std::int64_t n64 = n, i64 = static_cast<std::int64_t>(i);
  std::vector<int> counts(i + 1);
  if (!field(4 * i64) || !f.ReadLong(&out.id, 1) || !field(4 * n64 + 4 * i64) ||
      !f.ReadLong(&out.parent, 1) || !field(8 * n64 + 128 * i64) ||
      !f.ReadDouble(out.transform.data(), 16) || !field(136 * n64 + 16 * i64) ||
      !f.ReadFloat(out.color.data(), 4) || !field(152 * n64 + 4 * i64) ||
      !f.ReadUInt(&out.flags, 1) || !field(156 * n64) ||
      !f.ReadInt(counts.data(), static_cast<int>(i + 1)))
    return false;
  std::int64_t before = 0;
  for (std::size_t j = 0; j < i; ++j) before += counts[j];
  const int k = counts[i];
  if (k < 0 || k > kMaxVertices) return false;
  out.vertices.resize(static_cast<std::size_t>(k));
  return field(160 * n64 + 4 * before) && f.ReadFloat(out.vertices.data(), k);
}

// ---- Plain fwrite/fread of the same fields --------------------------------
// The same values in the same order as QvBase stores them, without block
// records: per node one fwrite of the name and fixed fields gathered in a
// small buffer and one of the vertices; read back by three freads.

struct Stdio {
  explicit Stdio(const std::string& path, const char* mode)
      : f(std::fopen(path.c_str(), mode)) {}
  ~Stdio() {
    if (f != nullptr) std::fclose(f);
  }
  bool Close() {
    const bool ok = f != nullptr && std::fclose(f) == 0;
    f = nullptr;
    return ok;
  }
  bool Put(const void* data, std::size_t size) {
    return std::fwrite(data, 1, size, f) == size;
  }
  bool Get(void* data, std::size_t size) {
    return std::fread(data, 1, size, f) == size;
  }
  std::FILE* f;
};

// Bytes of a node's fields after its name, up to the vertex count.
constexpr std::size_t kFixed = 4 + 4 + 16 * 8 + 4 * 4 + 4 + 4;

template <typename T>
char* Pack(char* at, const T& value) {
  std::memcpy(at, &value, sizeof value);
  return at + sizeof value;
}

bool RawWrite(const Nodes& nodes, const std::string& path) {
  Stdio s(path, "wb");
  const std::uint32_t count = static_cast<std::uint32_t>(nodes.size());
  bool ok = s.f != nullptr && s.Put(&count, 4);
  char buf[4 + kMaxName + kFixed];
  for (const Node& n : nodes) {
    const auto length = static_cast<std::uint32_t>(n.name.size());
    const auto k = static_cast<std::uint32_t>(n.vertices.size());
    char* at = Pack(buf, length);
    std::memcpy(at, n.name.data(), length);
    at = Pack(Pack(Pack(at + length, n.id), n.parent), n.transform);
    at = Pack(Pack(Pack(at, n.color), n.flags), k);
    ok = ok && s.Put(buf, static_cast<std::size_t>(at - buf)) &&
         s.Put(n.vertices.data(), 4 * std::size_t{k});
  }
  return s.Close() && ok;
}

template <typename T>
const char* Unpack(const char* at, T& value) {
  std::memcpy(&value, at, sizeof value);
  return at + sizeof value;
}

// One node; its vertices are skipped when `skip` is set.
bool RawReadNode(Stdio& s, Node& n, const std::string* wanted, bool& match) {
  char buf[kMaxName + kFixed];
  std::uint32_t length = 0, k = 0;
  if (!s.Get(&length, 4) || length > kMaxName || !s.Get(buf, length + kFixed))
    return false;
  n.name.assign(buf, length);
  match = wanted == nullptr || n.name == *wanted;
  const char* at =
      Unpack(Unpack(Unpack(buf + length, n.id), n.parent), n.transform);
  Unpack(Unpack(Unpack(at, n.color), n.flags), k);
  if (k > kMaxVertices) return false;
  if (!match) return std::fseek(s.f, 4 * long{k}, SEEK_CUR) == 0;
  n.vertices.resize(k);
  return s.Get(n.vertices.data(), 4 * std::size_t{k});
}

bool RawRead(const std::string& path, Nodes& nodes) {
  Stdio s(path, "rb");
  std::uint32_t count = 0;
  if (s.f == nullptr || !s.Get(&count, 4) || count > kMaxNodes) return false;
  nodes.resize(count);
  bool match = true;
  for (Node& n : nodes)
    if (!RawReadNode(s, n, nullptr, match)) return false;
  return true;
}

bool RawFind(const std::string& path, const std::string& name, Node& out) {
  Stdio s(path, "rb");
  std::uint32_t count = 0;
  if (s.f == nullptr || !s.Get(&count, 4) || count > kMaxNodes) return false;
  for (std::uint32_t i = 0; i < count; ++i) {
    bool match = false;
    if (!RawReadNode(s, out, &name, match)) return false;
    if (match) return true;
  }
  return false;
}

// ---- cereal's binary archive ----------------------------------------------

bool CerealWrite(const Nodes& nodes, const std::string& path) {
  try {
    std::ofstream out(path, std::ios::binary);
    {
      cereal::BinaryOutputArchive archive(out);
      archive(nodes);
    }
    out.close();
    return !out.fail();
  } catch (...) {
    return false;
  }
}

bool CerealRead(const std::string& path, Nodes& nodes) {
  try {
    std::ifstream in(path, std::ios::binary);
    cereal::BinaryInputArchive archive(in);
    archive(nodes);
    return !in.fail();
  } catch (...) {
    return false;
  }
}

// The archive is read in sequence only: finding a node is loading them all.
bool CerealFind(const std::string& path, const std::string& name, Node& out) {
  Nodes nodes;
  if (!CerealRead(path, nodes)) return false;
  for (Node& n : nodes)
    if (n.name == name) {
      out = std::move(n);
      return true;
    }
  return false;
}

// ---- FlatBuffers ----------------------------------------------------------

bool FbWrite(const Nodes& nodes, const std::string& path) {
  flatbuffers::FlatBufferBuilder builder;
  std::vector<flatbuffers::Offset<qvbench::fb::Node>> offsets;
  offsets.reserve(nodes.size());
  for (const Node& n : nodes) {
    const auto name = builder.CreateString(n.name);
    const auto vertices = builder.CreateVector(n.vertices);
    const qvbench::fb::Transform transform(
        flatbuffers::span<const double, 16>(n.transform.data(), 16));
    const qvbench::fb::Color color(n.color[0], n.color[1], n.color[2],
                                   n.color[3]);
    offsets.push_back(qvbench::fb::CreateNode(
        builder, name, n.id, n.parent, &transform, &color, n.flags, vertices));
  }
  const auto all = builder.CreateVector(offsets);
  builder.Finish(qvbench::fb::CreateModel(builder, all));
  Stdio s(path, "wb");
  return s.f != nullptr &&
         s.Put(builder.GetBufferPointer(), builder.GetSize()) && s.Close();
}

// The whole file in memory, as FlatBuffers reads it: mapped where the
// system maps files (no copy; only the pages touched are read), else, or
// when `load`, read into a buffer (what a program does that takes its
// files through a stream).
class FbFile {
 public:
  FbFile(const std::string& path, bool load) {
#if !defined(_WIN32)
    if (load) {
      Load(path);
      return;
    }
    const int fd = open(path.c_str(), O_RDONLY);
    struct stat st;
    if (fd < 0) return;
    if (fstat(fd, &st) == 0 && st.st_size > 0) {
      void* p = mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ,
                     MAP_PRIVATE, fd, 0);
      if (p != MAP_FAILED) {
        m_Data = static_cast<const std::uint8_t*>(p);
        m_Size = static_cast<std::size_t>(st.st_size);
      }
    }
    close(fd);
#else
    (void)load;
    Load(path);
#endif
  }
  ~FbFile() {
#if !defined(_WIN32)
    if (m_Data != nullptr && m_Bytes.empty())
      munmap(const_cast<std::uint8_t*>(m_Data), m_Size);
#endif
  }
  FbFile(const FbFile&) = delete;
  FbFile& operator=(const FbFile&) = delete;
  // The model's root, null when the file could not be had.
  const qvbench::fb::Model* Model() const {
    return m_Data == nullptr ? nullptr : qvbench::fb::GetModel(m_Data);
  }

 private:
  void Load(const std::string& path) {
    Stdio s(path, "rb");
    if (s.f == nullptr || std::fseek(s.f, 0, SEEK_END) != 0) return;
    const long size = std::ftell(s.f);
    if (size <= 0 || std::fseek(s.f, 0, SEEK_SET) != 0) return;
    m_Bytes.resize(static_cast<std::size_t>(size));
    if (!s.Get(m_Bytes.data(), m_Bytes.size())) return;
    m_Data = m_Bytes.data();
    m_Size = m_Bytes.size();
  }

  const std::uint8_t* m_Data = nullptr;
  std::size_t m_Size = 0;
  std::vector<std::uint8_t> m_Bytes;  // the file when it was read, not mapped
};

bool FbUnpack(const qvbench::fb::Node* in, Node& n) {
  if (in->name() == nullptr || in->transform() == nullptr ||
      in->color() == nullptr || in->vertices() == nullptr)
    return false;
  n.name.assign(in->name()->c_str(), in->name()->size());
  n.id = in->id();
  n.parent = in->parent();
  const auto* m = in->transform()->m();
  for (std::size_t i = 0; i < 16; ++i)
    n.transform[i] = m->Get(static_cast<flatbuffers::uoffset_t>(i));
  const qvbench::fb::Color& c = *in->color();
  n.color = {c.r(), c.g(), c.b(), c.a()};
  n.flags = in->flags();
  n.vertices.assign(in->vertices()->begin(), in->vertices()->end());
  return true;
}

// Read without the verifier: the peer's fastest load.
bool FbReadAs(const std::string& path, Nodes& nodes, bool load) {
  const FbFile file(path, load);
  const qvbench::fb::Model* model = file.Model();
  if (model == nullptr || model->nodes() == nullptr) return false;
  nodes.resize(model->nodes()->size());
  for (flatbuffers::uoffset_t i = 0; i < model->nodes()->size(); ++i)
    if (!FbUnpack(model->nodes()->Get(i), nodes[i])) return false;
  return true;
}

bool FbFindAs(const std::string& path, const std::string& name, Node& out,
              bool load) {
  const FbFile file(path, load);
  const qvbench::fb::Model* model = file.Model();
  if (model == nullptr || model->nodes() == nullptr) return false;
  for (const auto* n : *model->nodes()) {
    const flatbuffers::String* s = n->name();
    if (s != nullptr && s->size() == name.size() &&
        std::memcmp(s->c_str(), name.data(), name.size()) == 0)
      return FbUnpack(n, out);
  }
  return false;
}

bool FbRead(const std::string& path, Nodes& nodes) {
  return FbReadAs(path, nodes, false);
}
bool FbFind(const std::string& path, const std::string& name, Node& out) {
  return FbFindAs(path, name, out, false);
}
bool FbLoadedRead(const std::string& path, Nodes& nodes) {
  return FbReadAs(path, nodes, true);
}
bool FbLoadedFind(const std::string& path, const std::string& name, Node& out) {
  return FbFindAs(path, name, out, true);
}

// ---- The cases ------------------------------------------------------------

struct Contender {
  const char* name;
  bool (*write)(const Nodes&, const std::string&);
  bool (*read)(const std::string&, Nodes&);
  bool (*find)(const std::string&, const std::string&, Node&);
};

const Contender kContenders[] = {
    {"qvbase", QvWrite, QvRead, QvFind},
    {"qvarrays", QvArraysWrite, QvArraysRead, QvArraysFind},
    {"raw", RawWrite, RawRead, RawFind},
    {"cereal", CerealWrite, CerealRead, CerealFind},
    {"flatbuffers", FbWrite, FbRead, FbFind},
    {"fbloaded", FbWrite, FbLoadedRead, FbLoadedFind},
};

// The model of n nodes, its digest, and the node that find looks for: the
// first of the last node's name.
struct Fixture {
  Nodes nodes;
  std::uint64_t digest = 0;
  std::string target;
  std::uint64_t targetDigest = 0;
};

const Fixture& FixtureOf(int n) {
  static std::map<int, Fixture> fixtures;
  Fixture& f = fixtures[n];
  if (f.nodes.empty()) {
    f.nodes = MakeModel(n);
    f.digest = DigestOf(f.nodes);
    f.target = f.nodes.back().name;
    for (const Node& node : f.nodes)
      if (node.name == f.target) {
        f.targetDigest = DigestOf(node);
        break;
      }
  }
  return f;
}

std::string BenchFolder() {
  std::error_code ec;
  if (fs::is_directory("/dev/shm", ec)) return "/dev/shm";
  return fs::temp_directory_path().string();
}

struct Removed {
  std::string path;
  ~Removed() {
    std::error_code ec;
    fs::remove(path, ec);
  }
};

enum class Op { kWrite, kRead, kFind, kWalk };

void Finish(benchmark::State& state, bool ok, const std::string& path, int n,
            const char* what) {
  if (!ok) state.SkipWithError(what);
  std::error_code ec;
  const auto bytes = static_cast<std::int64_t>(fs::file_size(path, ec));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          bytes);
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * n);
  state.counters["file_bytes"] = static_cast<double>(bytes);
}

void Run(benchmark::State& state, const Contender& c, Op op) {
  const int n = static_cast<int>(state.range(0));
  const Fixture& fx = FixtureOf(n);
  const Removed file{BenchFolder() + "/qv-model-" + c.name + "-" +
                     std::to_string(n) + "-" +
                     std::to_string(std::random_device{}())};
  bool ok = true;
  Nodes back;
  if (op == Op::kWrite) {
    for (auto _ : state) ok = c.write(fx.nodes, file.path) && ok;
    // The file written last must load as the model.
    ok = ok && c.read(file.path, back) && DigestOf(back) == fx.digest;
    return Finish(state, ok, file.path, n, "written file differs");
  }
  if (!c.write(fx.nodes, file.path))
    return Finish(state, false, file.path, n, "cannot write");
  bool (*read)(const std::string&, Nodes&) = op == Op::kWalk ? QvWalk : c.read;
  for (auto _ : state) {
    if (op == Op::kFind) {
      Node node;
      ok = c.find(file.path, fx.target, node) && ok;
      state.PauseTiming();
      ok = ok && DigestOf(node) == fx.targetDigest;
    } else {
      ok = read(file.path, back) && ok;
      state.PauseTiming();
      ok = ok && DigestOf(back) == fx.digest;
      Nodes().swap(back);
    }
    state.ResumeTiming();
  }
  Finish(state, ok, file.path, n, "read differs from the model");
}

void Register(int n) {
  static const char* const kOps[] = {"write", "read", "find"};
  for (int op = 0; op < 3; ++op)
    for (const Contender& c : kContenders) {
      if (op == 0 && c.write == FbWrite && c.read != FbRead)
        continue;  // the same writer as flatbuffers'
      benchmark::RegisterBenchmark(
          (std::string(kOps[op]) + "/" + c.name).c_str(),
          [&c, op](benchmark::State& s) { Run(s, c, static_cast<Op>(op)); })
          ->Arg(n)
          ->Unit(benchmark::kMillisecond);
    }
  benchmark::RegisterBenchmark(
      "walk/qvbase",
      [](benchmark::State& s) { Run(s, kContenders[0], Op::kWalk); })
      ->Arg(n)
      ->Unit(benchmark::kMillisecond);
}

}  // namespace

int main(int argc, char** argv) {
  bool million = false;
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--million") == 0)
      million = true;
    else
      argv[kept++] = argv[i];
  }
  argc = kept;
  Register(10000);
  Register(100000);
  if (million) Register(1000000);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
