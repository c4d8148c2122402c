// ListNames.cpp - one id manager for the whole process, behind a mutex
// because drawable objects may be created on several threads at once
// (each with its own rendering context).
#include "objects/ListNames.h"

#include <QvBase/QvIdManager.h>

#include <mutex>

namespace {

struct NamePool {
  std::mutex lock;
  QvIdManager ids;
};

NamePool& Pool() {
  static NamePool pool;
  return pool;
}

}  // namespace

namespace qv {

std::uint32_t AcquireListName() {
  NamePool& pool = Pool();
  std::lock_guard<std::mutex> guard(pool.lock);
  return pool.ids.GetNewId() + 1;  // ids start at 0, names at 1
}

void ReleaseListName(std::uint32_t name) {
  if (name == 0) return;
  NamePool& pool = Pool();
  std::lock_guard<std::mutex> guard(pool.lock);
  pool.ids.DelId(name - 1);
}

}  // namespace qv
