// Running out of memory at every allocation of an operation: the Nth
// allocation fails (alone, and with every one after it), N = 1, 2, ...
// until the operation meets no failure, each in a child process. The child
// checks the result, that the object still works, that nothing leaked and
// no descriptor stayed open, and that a saved file is the old or the new
// one whole. POSIX only (fork).
#include <QvBase/QvColorTable.h>
#include <QvBase/QvError.h>
#include <QvBase/QvFile.h>
#include <QvBase/QvFileName.h>
#include <QvBase/QvIdManager.h>
#include <QvBase/QvNeutralFile.h>
#include <QvBase/QvProgress.h>
#include <QvBase/QvStdString.h>
#include <QvBase/QvUserDataUse.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>
#include <string>
#include <vector>

#include "alloc/FailingAlloc.h"
#include "support/OpenFiles.h"
#include "support/TempDir.h"

#if defined(QV_TEST_ASAN)
#include <sanitizer/lsan_interface.h>
#endif

namespace {

namespace alloc = qvtest::alloc;

// One failure point's run in the child. The operation arms the failure
// around the calls under test only; its set-up and checks allocate freely.
class Probe {
 public:
  Probe(std::string folder, long nth, bool onward)
      : m_Folder(std::move(folder)), m_Nth(nth), m_Onward(onward) {}
  // The count goes on over all armed stretches of one operation.
  void Arm() {
    if (m_Armed) {
      alloc::Resume();
    } else {
      alloc::Arm(m_Nth, m_Onward);
      m_Armed = true;
    }
  }
  void Disarm() { alloc::Disarm(); }
  // Records a broken expectation (without allocating: the notes are part
  // of the leak count's balance).
  void Expect(bool ok, const char* what) {
    if (!ok) Note("%s; ", what);
  }
  void Note(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    const std::size_t used = std::strlen(m_Notes);
    std::vsnprintf(m_Notes + used, sizeof m_Notes - used, format, args);
    va_end(args);
  }
  std::string File(const char* name) const { return m_Folder + "/" + name; }
  const std::string& Folder() const { return m_Folder; }
  const char* Notes() const { return m_Notes; }

 private:
  std::string m_Folder;
  long m_Nth;
  bool m_Onward;
  bool m_Armed = false;
  char m_Notes[2048] = {};
};

using Operation = void (*)(Probe&);

// What a child tells its parent.
struct Report {
  bool reached;  // the armed failure happened
  char notes[2048];
};

#if defined(QV_COVERAGE_BUILD)
// A coverage build's counts are written at exit, which a child leaving by
// _exit skips: it writes them itself.
extern "C" void __gcov_dump();
#endif

// The child's part: runs the operation and the checks that every
// operation shares, and writes the report.
void RunPoint(Operation op, const std::string& folder, long nth, bool onward,
              int out) {
  std::filesystem::create_directory(folder);
  Probe probe(folder, nth, onward);
  const int fds = qvtest::OpenDescriptors();
  const long live = alloc::Live();
  try {
    op(probe);
  } catch (...) {
    probe.Note("an exception left the operation; ");
  }
  alloc::Disarm();
  Report report{};
  report.reached = alloc::Refused() > 0;
  if (alloc::CoversMalloc() && alloc::Live() != live)
    probe.Note("%ld blocks left allocated; ", alloc::Live() - live);
  if (qvtest::OpenDescriptors() != fds) probe.Note("a descriptor left open; ");
#if defined(QV_TEST_ASAN)
  if (__lsan_do_recoverable_leak_check() != 0) probe.Note("a leak; ");
#endif
  std::snprintf(report.notes, sizeof report.notes, "%s", probe.Notes());
  const bool sent =
      write(out, &report, sizeof report) == static_cast<ssize_t>(sizeof report);
#if defined(QV_COVERAGE_BUILD)
  __gcov_dump();
#endif
  _exit(sent ? 0 : 3);
}

// Runs op at every failure point, in both modes; reports the bad points.
void Sweep(const char* name, Operation op) {
  constexpr long kMostPoints = 4000;
  qvtest::TempDir dir;
  {
    Probe warm(dir.File("warm"), 0, false);  // warms caches, fails nothing
    std::filesystem::create_directory(warm.Folder());
    op(warm);
    EXPECT_STREQ("", warm.Notes()) << name << " without a failure";
  }
  int points = 0, bad = 0;
  for (const bool onward : {false, true}) {
    for (long nth = 1; nth <= kMostPoints; ++nth) {
      int channel[2];
      if (pipe(channel) != 0) {
        ADD_FAILURE() << "pipe";
        return;
      }
      const std::string folder =
          dir.File("p" + std::to_string(nth) + (onward ? "o" : "n"));
      const pid_t child = fork();
      if (child == 0) {
        close(channel[0]);
        RunPoint(op, folder, nth, onward, channel[1]);
      }
      close(channel[1]);
      Report report{};
      const bool told = read(channel[0], &report, sizeof report) ==
                        static_cast<ssize_t>(sizeof report);
      close(channel[0]);
      int status = 0;
      waitpid(child, &status, 0);
      std::filesystem::remove_all(folder);
      if (told && !report.reached) break;  // the operation completed
      ++points;
      std::string problem = report.notes;
      if (!told || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        problem += WIFSIGNALED(status)
                       ? "killed by signal " + std::to_string(WTERMSIG(status))
                       : std::string("no report");
      if (!problem.empty()) {
        ++bad;
        ADD_FAILURE() << name << ", allocation " << nth
                      << (onward ? " and on" : " only") << ": " << problem;
      }
    }
  }
  std::printf("[ alloc    ] %-34s points %4d  bad %3d\n", name, points, bad);
}

// ---- The stored objects ---------------------------------------------------

// A colour table of n colours whose values tell the table apart.
QvColorTable Table(int n, float base) {
  QvColorTable t;
  for (int i = 0; i < n; ++i) {
    const float rgba[4] = {base + static_cast<float>(i), 0.25f, 0.5f, 1.0f};
    t.AddColor(rgba, 0.0f);
  }
  return t;
}

bool Same(QvColorTable& a, QvColorTable& b) {
  float x[4], y[4];
  int i = 0;
  for (; a.GetColor(i, x); ++i)
    if (!b.GetColor(i, y) || std::memcmp(x, y, sizeof x) != 0) return false;
  return !b.GetColor(i, y);
}

// The table stored in the file at path, as read without any failure.
bool Holds(const std::string& path, QvColorTable want) {
  QvColorTable got;
  return got.ReadNF(path.c_str()) && Same(got, want);
}

QvColorTable Old() {
  return Table(3, 10.0f);
}
QvColorTable New() {
  return Table(40, 100.0f);
}

// The folder holds exactly the file "model.qnf": no temporary file.
bool OnlyModel(const Probe& p) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(p.Folder()))
    names.push_back(e.path().filename().string());
  return names == std::vector<std::string>{"model.qnf"};
}

// ---- Saves -----------------------------------------------------------------

// A failure of the neutral file family that only memory can explain gives
// NoMemory as its reason.
void CheckReason(Probe& p, bool ok) {
  if (!ok && QvLastError() != QvError::NoMemory)
    p.Note("the reason is \"%s\", not NoMemory; ", QvErrorText(QvLastError()));
}

// After a save: a true result means the new file, a false one the old or
// the new file whole, never a mix and no temporary file left.
void CheckSaved(Probe& p, bool ok, const std::string& path) {
  CheckReason(p, ok);
  const bool isNew = Holds(path, New());
  p.Expect(!ok || isNew, "saved, but the file is not the new one");
  p.Expect(isNew || Holds(path, Old()), "the file is neither old nor new");
  p.Expect(OnlyModel(p), "the folder holds more than the model file");
}

// Saves the new table over the old by SaveNF, or by OpenToReplace and
// Commit (without which the object discards the replacement); then again
// without a failure.
template <bool Replace>
void Save(Probe& p) {
  const std::string path = p.File("model.qnf");
  Old().WriteNF(path.c_str());
  const QvColorTable table = New();
  QvNeutralFile file;
  const auto save = [&] {
    if (!Replace) return table.SaveNF(path.c_str());
    return file.OpenToReplace(path.c_str()) &&
           file.WriteHeader("short", "long") && table.WriteNF(file) &&
           file.Commit();
  };
  p.Arm();
  const bool ok = save();
  p.Disarm();
  CheckSaved(p, ok, path);
  p.Expect(save() && Holds(path, New()), "the save again fails");
}

// Writes the new table by path (How 0), through a QvNeutralFile that
// opens the path (1), or into a stream after its header (2).
template <int How>
void Write(Probe& p) {
  const std::string path = p.File("model.qnf");
  const QvColorTable table = New();
  std::FILE* stream = How == 2 ? std::fopen(path.c_str(), "wb") : nullptr;
  QvNeutralFile file(stream);
  if (How == 2) file.WriteHeader("short", "long");
  p.Arm();
  const bool ok = How == 0   ? table.WriteNF(path.c_str())
                  : How == 2 ? table.WriteNF(stream)
                             : file.OpenToWrite(path.c_str()) &&
                                   file.WriteHeader("short", "long") &&
                                   table.WriteNF(file);
  if (How == 1) file.CloseFile();
  p.Disarm();
  if (stream != nullptr) std::fclose(stream);
  CheckReason(p, ok);
  p.Expect(!ok || Holds(path, New()), "written, but not the table");
  p.Expect(table.WriteNF(path.c_str()) && Holds(path, New()),
           "the write again fails");
}

// Loads the stored table over the old one by path (How 0), from a stream
// (1) or through a QvNeutralFile (2): true means the stored table, false
// the table as it was; then loads again by path without a failure.
template <int How>
void Load(Probe& p) {
  const std::string path = p.File("model.qnf");
  New().WriteNF(path.c_str());
  QvColorTable table = Old(), old = Old(), stored = New();
  std::FILE* stream = How == 1 ? std::fopen(path.c_str(), "rb") : nullptr;
  QvNeutralFile file;
  p.Arm();
  const bool ok =
      How == 0   ? table.ReadNF(path.c_str())
      : How == 1 ? table.ReadNF(stream)
                 : file.OpenToRead(path.c_str()) && table.LoadColorTable(file);
  if (How == 2) file.CloseFile();
  p.Disarm();
  if (stream != nullptr) std::fclose(stream);
  CheckReason(p, ok);
  p.Expect(ok ? Same(table, stored) : Same(table, old),
           ok ? "loaded, but not the stored table"
              : "a failed load changed the table");
  p.Expect(table.ReadNF(path.c_str()) && Same(table, stored),
           "the load again fails");
}

// ---- Strings ---------------------------------------------------------------

// A formatting call either gives the whole text or throws std::bad_alloc
// and leaves the text as it was.
void Formatting(Probe& p) {
  const std::string longPart(3000, 'x');
  struct Step {
    bool append;
    const char* part;
  } const steps[] = {{false, "short"},
                     {true, "short"},
                     {false, longPart.c_str()},
                     {true, longPart.c_str()}};
  for (const Step& s : steps) {
    QvStdString text("keep");
    const std::string whole =
        std::string(s.append ? "keep" : "") + s.part + "-7";
    bool threw = false;
    p.Arm();
    try {
      if (s.append)
        text.AppendFormat("%s-%d", s.part, 7);
      else
        text.SetFormat("%s-%d", s.part, 7);
    } catch (const std::bad_alloc&) {
      threw = true;
    }
    p.Disarm();
    p.Expect(threw ? text == "keep" : text == whole,
             threw ? "a failed format changed the text"
                   : "a format gave a cut or empty text");
  }
  p.Arm();
  try {
    const QvStdString made("%s-%d", longPart.c_str(), 7);
    p.Disarm();
    p.Expect(made == longPart + "-7", "a formatted construction is cut");
  } catch (const std::bad_alloc&) {
  }
  p.Disarm();
}

void Words(Probe& p) {
  const QvStdString line(
      "alphabetically-sorted, betaversionofthings  \"gamma delta epsilon "
      "zeta\" 42 2.5");
  QvStdString word("keep");
  int count = -1, value = 0;
  bool threw = false;
  p.Arm();
  try {
    int pos = 0;
    line.GetWord(pos, word, QvStdString(" ,"));
    pos = 0;
    line.GetCSWord(pos, word, QvStdString(" ,"));
    line.GetWordAfterKey(QvStdString("betaversionofthings"), word,
                         QvStdString(" "));
    count = line.CountWord();
    pos = 71;
    line.GetValue(pos, value);
  } catch (const std::bad_alloc&) {
    threw = true;
  }
  p.Disarm();
  p.Expect(threw || (count == 8 && value == 42), "words read wrong");
  p.Expect(!word.empty(), "a failed word read emptied the word");
}

// ---- Text files and names -------------------------------------------------

void TextFile(Probe& p) {
  const std::string path = p.File("words.txt");
  {
    std::FILE* f = std::fopen(path.c_str(), "w");
    for (int i = 0; i < 50; ++i) std::fprintf(f, "line %d of words\n", i);
    std::fclose(f);
  }
  QvFile file(path.c_str());
  int lines = 0, words = 0;
  p.Arm();
  const bool ok = file.OpenToRead(true);
  while (ok && file.GetLine() != nullptr) {
    ++lines;
    for (const char* w = file.GetFirstWord(); w; w = file.GetNextWord())
      ++words;
  }
  file.Close();
  p.Disarm();
  p.Expect(!ok || (lines == 50 && words == 200), "the file read wrong");
  p.Expect(file.OpenToRead(true) && file.GetLine() != nullptr,
           "the file does not open again");
}

void FileNames(Probe& p) {
  QvFileName name("C:\\a\\model.qnf");
  QvFile target("target.txt");
  const QvFile source("a source file with a long name.txt");
  bool threw = false;
  p.Arm();
  try {
    name.MakeShortName();
    name.MakeFullName("D:\\another folder, long enough to allocate");
    target = source;
  } catch (const std::bad_alloc&) {
    threw = true;
  }
  p.Disarm();
  const std::string n = name.GetName();
  p.Expect(n == "D:\\another folder, long enough to allocate\\model.qnf" ||
               (threw && n == "model.qnf"),
           "a name changed half");
  p.Expect(target.Name() == source.Name() ||
               (threw && target.Name() == "target.txt"),
           "a file's name changed half");
}

// ---- Local messages --------------------------------------------------------

void LocalMessages(Probe& p) {
  const std::string path = p.File("messages.txt");
  {
    std::FILE* f = std::fopen(path.c_str(), "w");
    std::fputs("ERR_OPEN,  \"Cannot open the file\"\nDONE \"Done\"\n", f);
    std::fclose(f);
  }
  QvProgress reporter;
  QvStdString text("keep");
  bool found = false, threw = false;
  p.Arm();
  const bool opened = reporter.OpenLocalMessageFile(path.c_str());
  try {
    found = reporter.GetLocalMsg(QvStdString("DONE"), text);
    reporter.ShowMessage(QvStdString("ERR_OPEN"), "%s",
                         std::string(2000, 'x').c_str());
  } catch (const std::bad_alloc&) {
    threw = true;
  }
  p.Disarm();
  p.Expect(!opened || threw || (found && text == "Done"),
           "a message read wrong");
  p.Expect(reporter.OpenLocalMessageFile(path.c_str()) &&
               reporter.GetLocalMsg(QvStdString("DONE"), text) &&
               text == "Done",
           "the messages do not read again");
}

// ---- User data and ids -----------------------------------------------------

void UserData(Probe& p) {
  QvUserDataUse use;
  p.Arm();
  use.SetByteUse(2);
  use.SetBitUse(5);
  const int byte = use.GetFirstByte();
  p.Disarm();
  p.Expect(byte >= 0 && use.GetBitUse(5) != 0, "the claims are lost");
}

// The manager against a model of the ids held (flags sized in advance,
// so that the model never allocates): a call that throws changes nothing,
// and afterwards ids are handed out as the model says.
void Ids(Probe& p) {
  QvIdManager ids;
  std::vector<char> held(1000, 0);
  for (unsigned i = 0; i < 300; ++i) held[ids.GetNewId()] = 1;
  for (unsigned i = 0; i < 300; i += 7) {
    ids.DelId(i);
    held[i] = 0;
  }
  // Hands out n ids, each the smallest free one; notes the first that is
  // not.
  const auto handOut = [&](int n, const char* when) {
    for (int step = 0; step < n; ++step) {
      unsigned want = 0;
      while (held[want] != 0) ++want;
      const unsigned got = ids.GetNewId();
      held[got] = 1;
      if (got != want)
        return p.Note("%sid %u handed out, not %u; ", when, got, want);
    }
  };
  QvIdManager copy;
  p.Arm();
  try {
    handOut(400, "");
    copy = ids;
    ids.Init();
    held.assign(held.size(), 0);
    held[ids.GetNewId()] = 1;
  } catch (const std::bad_alloc&) {
  }
  p.Disarm();
  for (unsigned id = 0; id < 800; ++id)
    if (ids.IsUsed(id) != (held[id] != 0)) {
      p.Note("id %u is %s; ", id, ids.IsUsed(id) ? "used" : "free");
      break;
    }
  handOut(100, "afterwards ");
}

// ---- The sweeps ------------------------------------------------------------

struct Case {
  const char* name;
  Operation op;
};

void SweepAll(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Sweep(c.name, c.op);
  }
}

TEST(QvAllocFail, SavesAndLoads) {
  SweepAll({{"SaveNF by path", Save<false>},
            {"OpenToReplace and Commit", Save<true>},
            {"WriteNF by path", Write<0>},
            {"WriteNF by QvNeutralFile", Write<1>},
            {"WriteNF by stream", Write<2>},
            {"ReadNF by path", Load<0>},
            {"ReadNF by stream", Load<1>},
            {"ReadNF by QvNeutralFile", Load<2>}});
}

TEST(QvAllocFail, TextsMessagesAndIds) {
  SweepAll({{"formatting", Formatting},
            {"words and values", Words},
            {"text file", TextFile},
            {"file names", FileNames},
            {"local messages", LocalMessages},
            {"user data", UserData},
            {"ids", Ids}});
}

}  // namespace
