#include "bothstores.h"

#include <gtest/gtest.h>

using namespace backend;

namespace {

using Poll = Authenticator::PollState;
using Login = Authenticator::LoginResult;

using AuthenticatorTest = ServedWorld;

// A sign-in session lasts ten minutes, and what it hands out outlives the process. Signing in
// and collecting once are the attack tests' to try.
TEST_P(AuthenticatorTest, TokenIsHandedOutOnceAfterSignInAndStoredOnlyAsItsHash) {
    const auto expiring = auth->createSession();
    clock.advance(Authenticator::sessionLifetime - 1);
    const auto session = auth->createSession();
    EXPECT_EQ(session.id.size(), 32u);
    EXPECT_EQ(auth->loginRequestedAt(session.loginCode), clock.now());
    EXPECT_EQ(auth->poll(expiring.id).state, Poll::Pending);
    EXPECT_EQ(auth->login(session.id, "ann@example.org", "pw", ""), Login::SessionExpired);
    EXPECT_EQ(auth->login(session.loginCode, "bob@example.org", "pw", ""), Login::WrongCredentials);
    EXPECT_EQ(auth->login(session.loginCode, "ann@example.org", "", ""), Login::WrongCredentials);
    ASSERT_EQ(auth->login(session.loginCode, "ann@example.org", "pw", ""), Login::SignedIn);
    const auto issued = auth->poll(session.id);
    ASSERT_EQ(issued.state, Poll::Issued);
    EXPECT_EQ(issued.token.size(), 64u);
    clock.advance(1);
    EXPECT_EQ(auth->login(expiring.loginCode, "ann@example.org", "pw", ""), Login::SessionExpired);
    EXPECT_FALSE(auth->loginRequestedAt(expiring.loginCode));
    EXPECT_EQ(auth->poll(expiring.id).state, Poll::Unknown);
    EXPECT_FALSE(auth->accountForToken("").has_value());
    EXPECT_FALSE(auth->accountForToken(issued.token + "0").has_value());

    auth.reset();
    store = openStore(location);
    auth = std::make_unique<Authenticator>(*store, clock, cost);
    EXPECT_EQ(auth->accountForToken(issued.token), "ann@example.org");
    EXPECT_EQ(store->useToken(issued.token, 0, clock.now()), std::nullopt);
    EXPECT_EQ(store->tokens().at(0).hashPrefix, secrets::sha256Hex(issued.token).substr(0, 12));
}

// A token works for thirty days from its issue; its last use is written at most once an hour.
TEST_P(AuthenticatorTest, TokensExpireAndRecordTheirLastUseHourly) {
    const std::string token = signIn();
    const std::int64_t issued = clock.now();
    const auto lastUse = [&] { return store->tokens().at(0).lastUsedAt; };
    EXPECT_EQ(lastUse(), std::nullopt);
    for (const auto& [advance, recorded] : {std::pair{0, 0}, {3599, 0}, {1, 3600}, {10, 3600}}) {
        clock.advance(advance);
        EXPECT_EQ(auth->accountForToken(token), "ann@example.org");
        EXPECT_EQ(lastUse(), issued + recorded) << advance;
    }
    clock.advance(issued + 30 * Authenticator::day - 1 - clock.now());
    EXPECT_EQ(auth->accountForToken(token), "ann@example.org");
    clock.advance(1);
    EXPECT_EQ(auth->accountForToken(token), std::nullopt);
}

INSTANTIATE_OVER_BOTH_STORES(AuthenticatorTest);

} // namespace
