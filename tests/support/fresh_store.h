// Tests that read or write files through the profile store start from a store
// that holds no file and leave none behind, so what one test read is never
// another test's starting state. A test that changes a file as another program
// would says so with ChangeFileBehindStore.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace qm::test {

class FreshStoreTest : public ::testing::Test {
protected:
    void SetUp() override { RestartStore(); }
    void TearDown() override { RestartStore(); }

    // Drops what the store holds of every file, as a new start of the program
    // would; the next read parses what the disk holds. Unsaved changes of an
    // action in progress are kept.
    static void RestartStore();
};

// Replaces the file at `path` with `bytes` the way another program saves it
// while this one may hold the previous version: a new file renamed over the
// old one. The new file exists beside the old one before the rename, so it has
// another inode and the store notices the change at its next check, however
// coarse the file system's clock and whatever the sizes.
void ChangeFileBehindStore(const std::string& path, std::string_view bytes);

}  // namespace qm::test
