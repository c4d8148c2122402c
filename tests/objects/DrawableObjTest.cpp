// Display-list cycle of QvDrawableObj on a real OpenGL context.
#include <QvBase/QvDrawableObj.h>
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstdint>
#include <memory>
#include <set>
#include <vector>

#include "GlContext.h"

namespace {

// Fills the left half of the view with the object's colour (or the
// selected look); counts how often its commands were issued.
class Panel final : public QvDrawableObj {
 public:
  void Draw() override {
    ++draws;
    if (IsSelected()) {
      SetGlColorSelected();
    } else {
      SetGlColor();
    }
    glBegin(GL_QUADS);
    glVertex2f(-1.0f, -1.0f);
    glVertex2f(0.0f, -1.0f);
    glVertex2f(0.0f, 1.0f);
    glVertex2f(-1.0f, 1.0f);
    glEnd();
  }
  int draws = 0;
};

using Rgba = std::array<unsigned char, 4>;

class QvDisplayList : public qvtest::GlTest {
 protected:
  void Clear() {
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
  }
  Rgba Left() { return Gl().Pixel(2, kSize / 2); }
  Rgba Right() { return Gl().Pixel(kSize - 3, kSize / 2); }
};

const Rgba kBlack = {0, 0, 0, 255};

// Selection-mode pass over DrawToSelect; returns the names of the hits
// (each hit record: name count, two depths, the names).
std::vector<GLuint> Pick(Panel& obj, void* selName) {
  GLuint buf[64] = {};
  glSelectBuffer(64, buf);
  glRenderMode(GL_SELECT);
  glInitNames();
  glPushName(0);
  obj.DrawToSelect(selName);
  std::vector<GLuint> names;
  GLuint* rec = buf;
  for (GLint h = glRenderMode(GL_RENDER); h > 0; --h, rec += 3 + rec[0]) {
    names.insert(names.end(), rec + 3, rec + 3 + rec[0]);
  }
  return names;
}

}  // namespace

TEST_F(QvDisplayList, MakeDeleteAndDestroy) {
  GLuint name = 0;
  {
    Panel obj;
    name = obj.ListName();
    EXPECT_EQ(0, obj.IsDisplayList());
    obj.DelDisplayList();  // nothing to delete
    EXPECT_EQ(GLenum{GL_NO_ERROR}, glGetError());
    obj.MakeDisplayList();
    EXPECT_NE(0, obj.IsDisplayList());
    EXPECT_EQ(1, obj.draws);
    obj.DelDisplayList();
    EXPECT_EQ(0, obj.IsDisplayList());
    obj.MakeDisplayList();
    EXPECT_EQ(GL_TRUE, glIsList(name));
  }
  EXPECT_EQ(GL_FALSE, glIsList(name));  // the destructor removed it
  EXPECT_EQ(GLenum{GL_NO_ERROR}, glGetError());
}

TEST_F(QvDisplayList, RePaintReplaysCompiledColour) {
  Panel obj;
  obj.SetColor(0.0f, 0.0f, 1.0f, 1.0f);
  Clear();
  obj.RePaint();  // no list yet: draws nothing
  EXPECT_EQ(kBlack, Left());

  obj.MakeDisplayList();  // compiled, not executed
  EXPECT_EQ(kBlack, Left());

  obj.SetColor(1.0f, 1.0f, 1.0f, 1.0f);  // the list keeps the old colour
  obj.RePaint();
  EXPECT_EQ((Rgba{0, 0, 255, 255}), Left());
  EXPECT_EQ(kBlack, Right());
  EXPECT_EQ(1, obj.draws);

  obj.SetSelected();
  obj.MakeDisplayList();  // replaces the first list
  Clear();
  obj.RePaint();
  EXPECT_EQ((Rgba{255, 0, 0, 255}), Left());
  EXPECT_EQ(2, obj.draws);
  EXPECT_EQ(GLenum{GL_NO_ERROR}, glGetError());
}

TEST_F(QvDisplayList, DrawToSelectReportsTheGivenName) {
  Panel obj;
  obj.MakeDisplayList();
  EXPECT_EQ(std::vector<GLuint>{1234u},
            Pick(obj, reinterpret_cast<void*>(std::uintptr_t{1234})));
  // Only the low 32 bits of the pointer's value are loaded.
  std::uintptr_t wide = 0xFFFFFFFEu;
  if (sizeof(void*) > 4) wide |= static_cast<std::uintptr_t>(0x5A) << 32;
  EXPECT_EQ(std::vector<GLuint>{0xFFFFFFFEu},
            Pick(obj, reinterpret_cast<void*>(wide)));

  Panel never;  // no list: no hit
  EXPECT_TRUE(Pick(never, reinterpret_cast<void*>(std::uintptr_t{7})).empty());
  EXPECT_EQ(GLenum{GL_NO_ERROR}, glGetError());
}

TEST_F(QvDisplayList, CopiesStartWithoutList) {
  Panel a;
  a.SetColor(1.0f, 0.0f, 1.0f, 1.0f);
  a.MakeDisplayList();
  Panel b(a);
  EXPECT_EQ(0, b.IsDisplayList());
  Clear();
  b.RePaint();
  EXPECT_EQ(kBlack, Left());
  b.MakeDisplayList();
  EXPECT_NE(0, b.IsDisplayList());
  EXPECT_NE(0, a.IsDisplayList());

  Panel c;
  c.SetColor(0.0f, 1.0f, 1.0f, 1.0f);
  c.MakeDisplayList();
  c = a;  // keeps its own, still cyan list
  EXPECT_NE(0, c.IsDisplayList());
  Clear();
  c.RePaint();
  EXPECT_EQ((Rgba{0, 255, 255, 255}), Left());
}

TEST_F(QvDisplayList, ManyLiveObjectsHaveDistinctLists) {
  constexpr int kCount = 10000;
  std::vector<std::unique_ptr<Panel>> objs;
  std::set<std::uint32_t> names;
  for (int i = 0; i < kCount; ++i) {
    objs.push_back(std::make_unique<Panel>());
    objs.back()->SetColor(0.0f, 0.0f, (i % 2) ? 1.0f : 0.0f, 1.0f);
    objs.back()->MakeDisplayList();
    names.insert(objs.back()->ListName());
  }
  EXPECT_EQ(std::size_t{kCount}, names.size());
  EXPECT_EQ(0u, names.count(0));
  for (const auto& obj : objs) ASSERT_NE(0, obj->IsDisplayList());

  // Each list still holds its own object's commands.
  for (int i : {0, 1, kCount - 2, kCount - 1}) {
    Clear();
    objs[i]->RePaint();
    EXPECT_EQ((Rgba{0, 0, static_cast<unsigned char>((i % 2) ? 255 : 0), 255}),
              Left())
        << i;
  }

  // Destroying half leaves the others' lists; new objects reuse names
  // without inheriting a list.
  for (int i = 0; i < kCount; i += 2) objs[i].reset();
  for (int i = 1; i < kCount; i += 2) ASSERT_NE(0, objs[i]->IsDisplayList());
  Panel fresh;
  EXPECT_EQ(0, fresh.IsDisplayList());
  EXPECT_EQ(1u, names.count(fresh.ListName()));
  EXPECT_EQ(GLenum{GL_NO_ERROR}, glGetError());
}
