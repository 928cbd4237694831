#include "support/fresh_store.h"

#include <filesystem>
#include <system_error>

#include "platform/profile.h"
#include "support/temp_dir.h"

namespace qm::test {

void FreshStoreTest::RestartStore() { ForgetCachedProfiles(); }

void ChangeFileBehindStore(const std::string& path, std::string_view bytes) {
    const std::string replacement = path + ".replacement";
    WriteFile(replacement, bytes);
    std::error_code error;
    std::filesystem::rename(replacement, path, error);
    ASSERT_FALSE(error) << "cannot replace " << path << ": " << error.message();
}

}  // namespace qm::test
