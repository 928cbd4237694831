// Running some of a test as an unprivileged user, so that permissions are
// checked even when the tests run as the superuser (as they do in CI), who
// reads and writes whatever the permission bits say.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace qm::test {

// Gives `path` and everything below it to the user RunUnprivileged runs as
// (nothing to do when the tests do not run as the superuser). False when
// there is no such user.
bool GiveToUnprivilegedUser(const std::string& path);

// Runs `body` in a child process that runs as the user "nobody" when the
// tests run as the superuser, and as the tests' own user otherwise, and
// returns the text `body` returned. The body must report through that text:
// a failed expectation in the child does not reach the test. `prepare`, if
// given, runs in the child before it gives up its privileges.
//
// nullopt when there is no unprivileged user to run as or `prepare` returned
// false (the test should skip), or when the child did not end normally (the
// test has then failed).
std::optional<std::string> RunUnprivileged(const std::function<std::string()>& body,
                                           const std::function<bool()>& prepare = {});

}  // namespace qm::test
