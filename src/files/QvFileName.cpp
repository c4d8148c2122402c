#include <QvBase/QvFileName.h>

#include <cstring>

#include "frame/Platform.h"

QvFileName::QvFileName(const char* text) {
  QvStdString::Set(text);
}

QvFileName::QvFileName(const std::string& text) : QvStdString(text) {}

void QvFileName::Set(const char* text) {
  QvStdString::Set(text);
}

void QvFileName::Set(const std::string& text) {
  assign(text);
}

const char* QvFileName::GetName() const {
  return c_str();
}

bool QvFileName::IsShortName() const {
  return find('\\') == npos;
}

bool QvFileName::IsFullName() const {
  return !IsShortName();
}

const char* QvFileName::GetShortName() const {
  const size_type sep = rfind('\\');
  return sep == npos ? c_str() : c_str() + sep + 1;
}

std::string QvFileName::GetDirName() const {
  const size_type sep = rfind('\\');
  return sep == npos ? std::string() : substr(0, sep);
}

void QvFileName::MakeShortName() {
  const size_type sep = rfind('\\');
  if (sep != npos) erase(0, sep + 1);
}

void QvFileName::MakeFullName(const std::string& dir) {
  // Room first: memory short leaves the name as it was.
  reserve(size() + dir.size() + 1);
  insert(0, 1, '\\');
  insert(0, dir);
}

void QvFileName::MakeFullNameIfNot(const std::string& dir) {
  if (IsShortName()) MakeFullName(dir);
}

bool QvFileName::IfExtension(const char* ext) const {
  const size_type n = std::strlen(ext);
  if (size() <= n) return false;
  return compare(size() - n, n, ext) == 0;
}

void QvFileName::AddExtension(const char* ext) {
  if (!IfExtension(ext)) append(ext);
}

void QvFileName::CutExtension(const char* ext) {
  if (IfExtension(ext)) erase(size() - std::strlen(ext));
}

void QvFileName::CutExtension(int maxLength) {
  const size_type dot = rfind('.');
  if (dot == npos) return;
  // Compared as unsigned: a negative limit is a very large one.
  if (size() - dot > static_cast<unsigned int>(maxLength)) return;
  erase(dot);
}

bool QvFileName::ExistDir() const {
  if (empty()) return false;
  qv::platform::FileStatus st;
  return qv::platform::StatPath(c_str(), &st) && st.isDirectory;
}

bool QvFileName::ExistFile() const {
  if (empty()) return false;
  qv::platform::FileStatus st;
  return qv::platform::StatPath(c_str(), &st) && !st.isDirectory;
}

bool QvFileName::ExistFile(const char* dir) const {
  QvFileName full(*this);
  full.MakeFullNameIfNot(std::string(dir));
  return full.ExistFile();
}
