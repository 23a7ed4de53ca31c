// The sign-in and its tokens, and attacks on them, against the real server on loopback.
#include "backendprogram.h"
#include "bothstores.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace backend;

namespace {

using SignInAttackTest = ServedWorld;
using AuthenticatorTest = ServedWorld;
using Poll = Authenticator::PollState;
using Login = Authenticator::LoginResult;

// A leaked login link (process list, history, a forwarded mail) signs in, but neither collects
// the token nor takes over a session already signed in.
TEST_P(SignInAttackTest, TheLoginLinkNeverCollectsTheTokenAndSignsInOnce) {
    const auto [id, code] = startSession();
    ASSERT_EQ(code.size(), 32u);
    EXPECT_NE(id, code);
    EXPECT_EQ(send("GET", sessions + code).status, 404);
    EXPECT_EQ(login(code, "Ann%40Example.org", "pw"), 303);
    EXPECT_EQ(send("GET", sessions + code).status, 404);

    auth->addAccount("eve@example.org", "Eve", "eves password");
    EXPECT_EQ(login(code, "eve%40example.org", "eves+password"), 410);
    EXPECT_EQ(send("GET", "/plugin-auth/login?code=" + code).status, 410);
    EXPECT_EQ(me(collect(id)), "ann@example.org");
    EXPECT_EQ(send("GET", sessions + id).status, 404);
}

// A token that has expired, or that the administrator revoked with the server running, gets
// the 401 of a token never issued; the next sign-in's start purges the expired one.
TEST_P(SignInAttackTest, ExpiredAndRevokedTokensGetTheAnswerOfUnknownOnes) {
    const std::string unknown = me(std::string(64, '0'));
    ASSERT_EQ(unknown, "401");
    const std::string expiring = signIn();
    clock.advance(30 * Authenticator::day);
    const std::string revoked = signIn();
    EXPECT_EQ(me(revoked), "ann@example.org");
    EXPECT_EQ(me(expiring), unknown);

    const auto [listed, list] = runBackend("token list", dir, "", location.postgresUrl);
    EXPECT_EQ(listed, 0);
    const std::string hash = secrets::sha256Hex(revoked);
    EXPECT_THAT(list, testing::HasSubstr("ann@example.org " + hash.substr(0, 12) +
                                         " created 2023-12-14T22:13Z last-used 2023-12-14T22:13Z"));
    EXPECT_THAT(list, testing::Not(testing::HasSubstr(hash.substr(0, 13))));
    EXPECT_THAT(list, testing::Not(testing::HasSubstr(secrets::sha256Hex(expiring).substr(0, 12))));
    EXPECT_EQ(runBackend("token revoke --user ANN@example.org", dir, "", location.postgresUrl),
              (ProgramRun{0, "revoked 1 tokens of ann@example.org\n"}));
    EXPECT_EQ(runBackend("token revoke --user bob@example.org", dir, "", location.postgresUrl),
              (ProgramRun{1, "quorvane-backend: there is no account bob@example.org\n"}));
    EXPECT_EQ(me(revoked), unknown);
}

// Every guess at ann from one address leaves her own sign-in from another one alone, and that
// sign-in brings her record, hashed at an old cost, up to the current one.
TEST_P(SignInAttackTest, AGuesserAtOneAddressLocksNoOneOutElsewhere) {
    store->setPasswordHash("ann@example.org", secrets::hashPassword("pw", {512, 8, 1}));
    for (int i = 0; i < 100; ++i) {
        // From many addresses: one may start only 30 sessions a minute.
        const std::string code = startSession("127.0.1." + std::to_string(i)).code;
        ASSERT_EQ(login(code, "ann%40example.org", "guess" + std::to_string(i), "127.0.0.2"),
                  i < SignInThrottle::freeFailures ? 401 : 429)
            << i;
    }
    const auto [id, code] = startSession();
    EXPECT_EQ(login(code, "ann%40example.org", "pw", "127.0.0.3"), 303);
    EXPECT_EQ(me(collect(id)), "ann@example.org");
    EXPECT_FALSE(secrets::needsRehash(store->account("ann@example.org")->passwordHash, cost));
}

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

    useStore(openStore(location));
    EXPECT_EQ(auth->accountForToken(issued.token), "ann@example.org");
    EXPECT_EQ(store->useToken(issued.token, 0, clock.now()), std::nullopt);
    EXPECT_EQ(storedTokens().at(0).hashPrefix, secrets::sha256Hex(issued.token).substr(0, 12));
}

// A token works for thirty days from its issue; its last use is written at most once an hour.
TEST_P(AuthenticatorTest, TokensExpireAndRecordTheirLastUseHourly) {
    const std::string token = signIn();
    const std::int64_t issued = clock.now();
    const auto lastUse = [&] { return storedTokens().at(0).lastUsedAt; };
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

// Listings read a page at a time; across the ends of pages, tokens issued in the same second
// among them, each row comes once and in order.
TEST_P(AuthenticatorTest, ListingsGoAcrossPagesWholeAndInOrder) {
    execBehindTheStore("INSERT INTO accounts(email, name, password_hash) VALUES "
                       "('bob@example.org', 'Bob', 'h');"
                       "INSERT INTO tokens(token_hash, email, created_at) VALUES "
                       "('t4', 'bob@example.org', 1), ('t2', 'ann@example.org', 2), "
                       "('t1', 'ann@example.org', 2), ('t3', 'ann@example.org', 3), "
                       "('t0', 'ann@example.org', 1)");
    for (int i = 0; i < 5; ++i) {
        store->addTrainingPair({"ann@example.org", "q" + std::to_string(i), "a", i});
    }
    std::vector<std::string> rows;
    for (const TokenRecord& token : storedTokens(2)) {
        rows.push_back(token.hashPrefix);
    }
    for (const TrainingPair& pair : storedTrainingPairs(2)) {
        rows.push_back(pair.question);
    }
    EXPECT_EQ(rows, (std::vector<std::string>{"t0", "t1", "t2", "t3", "t4", "q0", "q1", "q2", "q3",
                                              "q4"}));
}

INSTANTIATE_OVER_BOTH_STORES(SignInAttackTest);
INSTANTIATE_OVER_BOTH_STORES(AuthenticatorTest);

} // namespace
