#include <gtest/gtest.h>

#include <QImage>
#include <QList>
#include <QSize>
#include <vector>

#include "desktop/app_icons.h"
#include "desktop/item_icons.h"

namespace tavrel {

namespace {

struct DrawnIcon {
  const char* name;
  QIcon icon;
  QList<QSize> sizes;
};

QList<QSize> Squares(std::initializer_list<int> sides) {
  QList<QSize> sizes;
  for (int side : sides) sizes.push_back(QSize(side, side));
  return sizes;
}

std::vector<DrawnIcon> AllIcons() {
  const QList<QSize> application = Squares({16, 24, 32, 48, 64});
  const QList<QSize> item = Squares({16, 32});
  return {{"bridge", ApplicationIcon(Program::kBridge), application},
          {"manager", ApplicationIcon(Program::kManager), application},
          {"maker", ApplicationIcon(Program::kMaker), application},
          {"root", TreeItemIcon(TreeItemKind::kRoot), item},
          {"server", TreeItemIcon(TreeItemKind::kServer), item},
          {"group", TreeItemIcon(TreeItemKind::kGroup), item}};
}

// The share of pixels that are not fully transparent.
double Covered(const QImage& image) {
  int covered = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) covered += qAlpha(image.pixel(x, y)) > 0;
  }
  return static_cast<double>(covered) / (image.width() * image.height());
}

TEST(DrawnIcons, EachIsDrawnAtItsSizesAndNoTwoLookAlike) {
  const std::vector<DrawnIcon> icons = AllIcons();
  for (const DrawnIcon& drawn : icons) {
    SCOPED_TRACE(drawn.name);
    EXPECT_EQ(drawn.icon.availableSizes(), drawn.sizes);
    for (const QSize& size : drawn.sizes) {
      const QImage image = drawn.icon.pixmap(size).toImage();
      EXPECT_EQ(image.size(), size);
      EXPECT_GT(Covered(image), 0.4) << size.width();
    }
  }
  for (size_t a = 0; a < icons.size(); ++a) {
    for (size_t b = a + 1; b < icons.size(); ++b) {
      EXPECT_NE(icons[a].icon.pixmap(16).toImage(), icons[b].icon.pixmap(16).toImage())
          << icons[a].name << " and " << icons[b].name;
    }
  }
}

TEST(DrawnIcons, ProgramsAreKnownByTheirApplicationNames) {
  const std::pair<const char*, Program> cases[] = {{"Tavrel", Program::kBridge},
                                                   {"Morvane", Program::kManager},
                                                   {"Keldrin", Program::kMaker},
                                                   {"anything else", Program::kBridge}};
  for (const auto& [name, program] : cases) EXPECT_EQ(ProgramNamed(name), program) << name;
}

}  // namespace

}  // namespace tavrel
