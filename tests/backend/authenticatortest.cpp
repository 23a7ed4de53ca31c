#include "backendworld.h"

#include <gtest/gtest.h>

using namespace backend;

namespace {

using Poll = Authenticator::PollState;
using Login = Authenticator::LoginResult;

class AuthenticatorTest : public testing::Test, protected BackendWorld {};

// A sign-in session lasts ten minutes.
TEST_F(AuthenticatorTest, TokenIsHandedOutOnceAfterSignInAndStoredOnlyAsItsHash) {
    const std::string expiring = auth->createSession();
    clock.advance(Authenticator::sessionLifetime - 1);
    const std::string id = auth->createSession();
    EXPECT_EQ(id.size(), 32u);
    EXPECT_EQ(auth->poll(expiring).state, Poll::Pending);
    EXPECT_EQ(auth->login(id, "bob@example.org", "pw", ""), Login::WrongCredentials);
    EXPECT_EQ(auth->login(id, "ann@example.org", "", ""), Login::WrongCredentials);
    ASSERT_EQ(auth->login(id, "ann@example.org", "pw", ""), Login::SignedIn);
    const auto issued = auth->poll(id);
    ASSERT_EQ(issued.state, Poll::Issued);
    EXPECT_EQ(issued.token.size(), 64u);
    EXPECT_EQ(auth->poll(id).state, Poll::Unknown);
    clock.advance(1);
    EXPECT_EQ(auth->login(expiring, "ann@example.org", "pw", ""), Login::SessionExpired);
    EXPECT_EQ(auth->poll(expiring).state, Poll::Unknown);
    EXPECT_FALSE(auth->accountForToken("").has_value());
    EXPECT_FALSE(auth->accountForToken(issued.token + "0").has_value());

    auth.reset();
    store = std::make_unique<Store>(dir / "backend.sqlite");
    auth = std::make_unique<Authenticator>(*store, clock, cost);
    EXPECT_EQ(auth->accountForToken(issued.token), "ann@example.org");
    EXPECT_EQ(store->tokenOwner(issued.token), std::nullopt);
    EXPECT_EQ(store->tokenOwner(secrets::sha256Hex(issued.token)), "ann@example.org");
}

} // namespace
