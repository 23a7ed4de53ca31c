#include "backendworld.h"

#include <gtest/gtest.h>

using namespace backend;

namespace {

class AuthenticatorTest : public testing::Test, protected BackendWorld {
protected:
    AuthenticatorTest()
        : BackendWorld("qv-auth-") {}
};

TEST_F(AuthenticatorTest, TokenIsHandedOutOnceAfterSignIn) {
    const std::string id = auth->createSession();
    EXPECT_EQ(id.size(), 32u);
    EXPECT_EQ(auth->poll(id).state, Authenticator::PollState::Pending);
    ASSERT_EQ(auth->login(id, "ann@example.org", "pw", ""), Authenticator::LoginResult::SignedIn);
    const auto issued = auth->poll(id);
    ASSERT_EQ(issued.state, Authenticator::PollState::Issued);
    EXPECT_EQ(issued.token.size(), 64u);
    EXPECT_EQ(auth->accountForToken(issued.token), "ann@example.org");
    EXPECT_EQ(auth->poll(id).state, Authenticator::PollState::Unknown);
    EXPECT_FALSE(auth->accountForToken("").has_value());
    EXPECT_FALSE(auth->accountForToken(issued.token + "0").has_value());
}

TEST_F(AuthenticatorTest, TokensSurviveReopeningAndAreStoredOnlyAsHashes) {
    const std::string id = auth->createSession();
    ASSERT_EQ(auth->login(id, "ann@example.org", "pw", ""), Authenticator::LoginResult::SignedIn);
    const std::string token = auth->poll(id).token;
    auth.reset();
    store.reset();
    store = std::make_unique<Store>(dir / "backend.sqlite");
    auth = std::make_unique<Authenticator>(*store, clock, secrets::ScryptCost{1024, 8, 1});
    EXPECT_EQ(auth->accountForToken(token), "ann@example.org");
    EXPECT_EQ(store->tokenOwner(token), std::nullopt);
    EXPECT_EQ(store->tokenOwner(secrets::sha256Hex(token)), "ann@example.org");
}

TEST_F(AuthenticatorTest, SessionsExpireAfterTenMinutes) {
    const std::string id = auth->createSession();
    clock.advance(Authenticator::sessionLifetime - 1);
    EXPECT_EQ(auth->poll(id).state, Authenticator::PollState::Pending);
    clock.advance(1);
    EXPECT_EQ(auth->poll(id).state, Authenticator::PollState::Unknown);
    EXPECT_EQ(auth->login(id, "ann@example.org", "pw", ""),
              Authenticator::LoginResult::SessionExpired);
}

TEST_F(AuthenticatorTest, SignedInSessionExpiresUnredeemed) {
    const std::string id = auth->createSession();
    ASSERT_EQ(auth->login(id, "ann@example.org", "pw", ""), Authenticator::LoginResult::SignedIn);
    clock.advance(Authenticator::sessionLifetime);
    EXPECT_EQ(auth->poll(id).state, Authenticator::PollState::Unknown);
}

TEST_F(AuthenticatorTest, RepeatedWrongPasswordsLockTheAccountForGrowingTimes) {
    const std::string id = auth->createSession();
    using R = Authenticator::LoginResult;
    EXPECT_EQ(auth->login(id, "ann@example.org", "wrong", ""), R::WrongCredentials);
    EXPECT_EQ(auth->login(id, "ann@example.org", "wrong", ""), R::WrongCredentials);
    EXPECT_EQ(auth->login(id, "ann@example.org", "wrong", ""), R::WrongCredentials);
    // Locked for one second now: even the right password waits.
    EXPECT_EQ(auth->login(id, "ann@example.org", "pw", ""), R::TooManyAttempts);
    clock.advance(1);
    EXPECT_EQ(auth->login(id, "ann@example.org", "wrong", ""), R::WrongCredentials);
    // The next lock lasts two seconds.
    clock.advance(1);
    EXPECT_EQ(auth->login(id, "ann@example.org", "pw", ""), R::TooManyAttempts);
    clock.advance(1);
    EXPECT_EQ(auth->login(id, "ann@example.org", "pw", ""), R::SignedIn);
    EXPECT_EQ(store->account("ann@example.org")->failedLogins, 0);
}

TEST_F(AuthenticatorTest, UnknownAccountIsWrongCredentials) {
    const std::string id = auth->createSession();
    EXPECT_EQ(auth->login(id, "bob@example.org", "pw", ""),
              Authenticator::LoginResult::WrongCredentials);
    EXPECT_EQ(auth->poll(id).state, Authenticator::PollState::Pending);
}

TEST(Secrets, PasswordRecordsVerifyOnlyTheirPassword) {
    const std::string record = secrets::hashPassword("pässword", {1024, 8, 1});
    EXPECT_TRUE(secrets::verifyPassword("pässword", record));
    EXPECT_FALSE(secrets::verifyPassword("password", record));
    EXPECT_FALSE(secrets::verifyPassword("pässword", "scrypt$x$8$1$00$00"));
    EXPECT_FALSE(secrets::verifyPassword("pässword", "garbage"));
    EXPECT_NE(record, secrets::hashPassword("pässword", {1024, 8, 1}));
}

} // namespace
