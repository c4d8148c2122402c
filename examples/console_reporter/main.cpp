// A progress reporter for the terminal. It derives from QvProgress,
// overrides the presenting operations and takes its texts from the local
// message file messages.txt beside the program; keys that the file does
// not know are shown as they are.
//
//   qv_console_reporter [--yes]     (--yes answers every question itself)
#include <QvBase/QvError.h>
#include <QvBase/QvFile.h>
#include <QvBase/QvProgress.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

class ConsoleReporter : public QvProgress {
 public:
  explicit ConsoleReporter(bool answerYes) : m_AnswerYes(answerYes) {}

  using QvProgress::Question;
  using QvProgress::SendError;
  using QvProgress::SendWarning;
  using QvProgress::ShowMessage;
  using QvProgress::ShowProgress;
  using QvProgress::ShowStatus;

  void SetTotal(int total) override {
    QvProgress::SetTotal(total);
    DrawBar();
  }

  void ShowProgress(int current, bool force) override {
    const int before = Percent();
    SetCurrent(current);
    if (force || Percent() != before) DrawBar();
  }

  void ShowProgress(const QvStdString& caption, bool) override {
    EndBar();
    std::printf("== %s\n", caption.Data(0));
  }

  void ShowMessage(const QvStdString& key, const char* format, ...) override {
    std::va_list args;
    va_start(args, format);
    QvStdString text;
    ComposeMessage(text, key, format, args);
    va_end(args);
    Print(stdout, "", text);
  }

  void ShowStatus(const QvStdString& key, const char* format, ...) override {
    std::va_list args;
    va_start(args, format);
    QvStdString text;
    ComposeMessage(text, key, format, args);
    va_end(args);
    Print(stdout, "[status] ", text);
  }

  bool Question(const QvStdString& key, const char* format, ...) override {
    if (IfMute()) return true;
    std::va_list args;
    va_start(args, format);
    QvStdString text;
    ComposeDetails(text, key, format, args);
    va_end(args);
    Print(stdout, "? ", text);
    return Answer();
  }

  void SendError(const QvStdString& key, const char* format, ...) override {
    if (IfMute()) return;
    std::va_list args;
    va_start(args, format);
    QvStdString text;
    ComposeDetails(text, key, format, args);
    va_end(args);
    Print(stderr, "error: ", text);
  }

  void SendWarning(const QvStdString& key, const char* format, ...) override {
    if (IfMute()) return;
    std::va_list args;
    va_start(args, format);
    QvStdString text;
    ComposeDetails(text, key, format, args);
    va_end(args);
    Print(stderr, "warning: ", text);
  }

 private:
  int Percent() const {
    return Total() > 0 ? static_cast<int>(100LL * Current() / Total()) : 0;
  }

  void DrawBar() {
    const int width = 30;
    const int filled = Percent() * width / 100;
    std::printf("\r[%.*s%*s] %3d%% (%d/%d)", filled,
                "##############################", width - filled, "", Percent(),
                Current(), Total());
    std::fflush(stdout);
    m_BarShown = true;
  }

  void EndBar() {
    if (m_BarShown) std::printf("\n");
    m_BarShown = false;
  }

  // Every line of a composed text is printed with the prefix.
  void Print(std::FILE* out, const char* prefix, const QvStdString& text) {
    EndBar();
    std::size_t start = 0;
    do {
      const std::size_t nl = text.find('\n', start);
      const std::string line = text.substr(start, nl - start);
      std::fprintf(out, "%s%s\n", start == 0 ? prefix : "  ", line.c_str());
      start = nl == std::string::npos ? nl : nl + 1;
    } while (start != std::string::npos);
    std::fflush(out);
  }

  bool Answer() {
    std::printf("  [y/n] ");
    if (m_AnswerYes) {
      std::printf("y\n");
      return true;
    }
    char line[64];
    if (std::fgets(line, sizeof line, stdin) == nullptr) return true;
    return line[0] != 'n' && line[0] != 'N';
  }

  bool m_AnswerYes;
  bool m_BarShown = false;
};

// messages.txt in the folder of the program.
std::string MessageFileBeside(const char* program) {
  std::string path = program;
  const std::size_t slash = path.find_last_of("/\\");
  path.erase(slash == std::string::npos ? 0 : slash + 1);
  return path + "messages.txt";
}

}  // namespace

int main(int argc, char** argv) {
  const bool answerYes = argc > 1 && std::strcmp(argv[1], "--yes") == 0;
  ConsoleReporter reporter(answerYes);
  if (!reporter.OpenLocalMessageFile(MessageFileBeside(argv[0]).c_str()))
    std::fprintf(stderr, "(messages.txt beside the program: %s; keys shown)\n",
                 QvErrorText(QvLastError()));

  // Trailing blanks of a message are trimmed: the blank before the details
  // belongs to the format.
  reporter.ShowMessage(QvStdString("START_IMPORT"), " %s", "part.txt");
  reporter.SendWarning(QvStdString("WARN_UNITS"), nullptr);

  reporter.ShowStatus(QvStdString("STATUS_READING"), nullptr);
  reporter.SetTotal(200);
  for (int i = 1; i <= 200; ++i) reporter.ShowProgress(i, false);
  reporter.ShowMessage(QvStdString("STEP_DONE"), " %d vertices", 200);

  if (!reporter.Question(QvStdString("ASK_CONTINUE"), "%d open edges", 12)) {
    std::printf("stopped\n");
    return 1;
  }

  QvFile missing("no-such-folder/part.txt");
  if (!missing.OpenToRead(true))
    reporter.SendError(QvStdString("ERR_OPEN"), "%s", missing.GetName());
  // A key that the message file does not hold is shown as it is.
  reporter.ShowMessage(QvStdString("Done."), nullptr);
  return 0;
}
