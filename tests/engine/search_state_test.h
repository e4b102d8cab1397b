#pragma once
// A test's own folder and a search state as a new search finds it, emptied
// again afterwards so no test sees what another left.

#include "engine/search_state.h"
#include "tests/support/temp_dir.h"

namespace zandrel::testing {

class SearchStateTest : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    clearAll();
  }
  void TearDown() override {
    clearAll();
    TempDirTest::TearDown();
  }

 private:
  static void clearAll() {
    resetSearchState();
    clearSearchLists();
    gSizeCounts.clear();
    gSearchSubdirs = 0;
    gMinSize = 0;
    gMaxSize = 0;
  }
};

}  // namespace zandrel::testing
