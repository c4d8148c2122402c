// A walk along the chain of id blocks that stays in the stream's buffer.
#include "neutral/ChainWalk.h"

#include "frame/Platform.h"

namespace qv {
ChainWalk::ChainWalk(QvNeutralFile& file, std::FILE* stream, bool reversed)
    : m_File(file), m_Stream(stream), m_Reversed(reversed) {
  Locate();
}

void ChainWalk::Locate() {
  m_Here = -1;
  if (!platform::kCanPeekBuffered) return;  // the position is of no use
  std::int64_t at = 0;
  if (platform::TellStream(m_Stream, &at)) m_Here = at;
}

}  // namespace qv
