// Asset paths and the three hit tests.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>

#include "engine/app/app.h"

namespace {

TEST(ContentsPath, BuildsEachPathWholeAfterALongerOne) {
  EXPECT_STREQ(ContentsPath("White.png"), "./contents/White.png");
  // The buffer is reused: a shorter path after a longer one must end where
  // it ends, with nothing of the longer one behind it.
  const std::string longName(200, 'x');
  EXPECT_EQ(std::string(ContentsPath(longName.c_str())), "./contents/" + longName);
  EXPECT_STREQ(ContentsPath("SE_eat.ogg"), "./contents/SE_eat.ogg");
}

TEST(ContentsPath, NamesThatDoNotFitGiveAnEmptyPath) {
  // 11 characters of "./contents/" plus the name must leave room for the end.
  struct Case {
    size_t nameLength;
    bool fits;
  };
  const Case cases[] = {{0, true}, {252, true}, {253, false}, {264, false}, {100000, false}};
  for (const Case& c : cases) {
    std::string name(c.nameLength, 'x');
    const char* path = ContentsPath(name.c_str());
    if (c.fits) {
      EXPECT_EQ(std::string(path), "./contents/" + name) << c.nameLength;
    } else {
      EXPECT_STREQ(path, "") << c.nameLength;
    }
  }
  EXPECT_STREQ(ContentsPath(nullptr), "");
}

TEST(ContentsPath, EachThreadHasItsOwnBuffer) {
  const char* mine = ContentsPath("main.png");
  std::string other;
  std::thread worker([&other] {
    other = ContentsPath("music.ogg");
  });
  worker.join();
  EXPECT_STREQ(mine, "./contents/main.png");
  EXPECT_EQ(other, "./contents/music.ogg");
}

TEST(HitTests, EdgesCountAsInside) {
  const Bounds box = MakeBounds(10.0f, 20.0f, 100.0f, 200.0f);
  struct BoxCase {
    float x, y;
    int32_t want;
  };
  const BoxCase boxCases[] = {
      {150.0f, 15.0f, 1},  {100.0f, 10.0f, 1}, {200.0f, 20.0f, 1}, {100.0f, 20.0f, 1},
      {99.99f, 15.0f, 0},  {200.01f, 15.0f, 0}, {150.0f, 9.99f, 0}, {150.0f, 20.01f, 0},
  };
  for (const BoxCase& c : boxCases) {
    EXPECT_EQ(PointInBounds(MakeVec2(c.x, c.y), box), c.want) << c.x << "," << c.y;
  }

  struct CircleCase {
    float x, y, radius;
    int32_t want;
  };
  const CircleCase circleCases[] = {
      {3.0f, 4.0f, 5.0f, 1},  // on the rim
      {3.0f, 4.0f, 4.99f, 0},
      {0.0f, 0.0f, 0.0f, 1},  // a point circle holds its own centre
      {-5.0f, 0.0f, 5.0f, 1},
  };
  for (const CircleCase& c : circleCases) {
    EXPECT_EQ(PointInCircle(MakeVec2(c.x, c.y), MakeVec2(0.0f, 0.0f), c.radius), c.want)
        << c.x << "," << c.y << " r " << c.radius;
  }

  struct OverlapCase {
    float bx, radiusA, radiusB;
    int32_t want;
  };
  const OverlapCase overlapCases[] = {
      {10.0f, 4.0f, 6.0f, 1},  // touching
      {10.0f, 4.0f, 5.9f, 0},
      {0.0f, 0.0f, 0.0f, 1},
      {-7.0f, 3.0f, 4.0f, 1},
  };
  for (const OverlapCase& c : overlapCases) {
    EXPECT_EQ(CirclesOverlap(MakeVec2(0.0f, 0.0f), c.radiusA, MakeVec2(c.bx, 0.0f), c.radiusB),
              c.want)
        << c.bx;
  }
}

}  // namespace
