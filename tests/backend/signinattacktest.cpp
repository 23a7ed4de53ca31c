// Attacks on the sign-in and on tokens, each against the real server on loopback.
#include "backendprogram.h"
#include "bothstores.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

using namespace backend;
using nlohmann::json;

namespace {

const std::string sessions = "/plugin-auth/session-request/";

class SignInAttackTest : public testing::TestWithParam<StoreKind>, protected BackendWorld {
protected:
    SignInAttackTest()
        : BackendWorld(nullptr, GetParam()) {
        serve();
    }

    LoopbackClient::Answer send(const std::string& method, const std::string& target,
                                const std::string& body = "", const std::string& token = "",
                                const std::string& from = "127.0.0.1") {
        return client(from).send(LoopbackClient::request(method, target, body, token));
    }
    LoopbackClient::Answer submitLogin(const std::string& code, const std::string& email,
                                       const std::string& password,
                                       const std::string& from = "127.0.0.1") {
        return send("POST", "/plugin-auth/login",
                    "code=" + code + "&email=" + email + "&password=" + password, "", from);
    }
    // A new session as the client sees it: its id and the code of its login link.
    std::pair<std::string, std::string> startSession(const std::string& from = "127.0.0.1") {
        const json session = json::parse(send("GET", sessions, "", "", from).body);
        const std::string link = session["login_url"];
        return {session["id"], link.substr(link.find("?code=") + 6)};
    }
    std::string me(const std::string& token) {
        const auto answer = send("GET", "/api/v1/me", "", token);
        return answer.status == 200 ? json::parse(answer.body)["email"].get<std::string>()
                                    : std::to_string(answer.status);
    }
};

// Whoever learns the login link (another user's process list, browser history, a forwarded
// mail) can sign in through it, but can neither collect the token nor take over a session
// that is already signed in.
TEST_P(SignInAttackTest, TheLoginLinkNeverCollectsTheTokenAndSignsInOnce) {
    const auto [id, code] = startSession();
    ASSERT_EQ(code.size(), 32u);
    EXPECT_NE(id, code);
    EXPECT_EQ(send("GET", sessions + code).status, 404);
    EXPECT_EQ(submitLogin(code, "ann%40example.org", "pw").status, 200);
    EXPECT_EQ(send("GET", sessions + code).status, 404);

    auth->addAccount("eve@example.org", "Eve", "eves password");
    EXPECT_EQ(submitLogin(code, "eve%40example.org", "eves+password").status, 410);
    EXPECT_EQ(send("GET", "/plugin-auth/login?code=" + code).status, 410);
    const json poll = json::parse(send("GET", sessions + id).body);
    ASSERT_TRUE(poll["access_token"].is_string()) << poll;
    EXPECT_EQ(me(poll["access_token"]), "ann@example.org");
    EXPECT_EQ(send("GET", sessions + id).status, 404);
}

// A token that has expired, or that the administrator revoked with the server running, gets
// the 401 of a token never issued.
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
    EXPECT_NE(list.find("ann@example.org " + secrets::sha256Hex(revoked).substr(0, 12) +
                        " created 2023-12-14T22:13Z last-used 2023-12-14T22:13Z"),
              std::string::npos)
        << list;
    EXPECT_EQ(list.find(secrets::sha256Hex(revoked).substr(0, 13)), std::string::npos);
    EXPECT_EQ(runBackend("token revoke --user ann@example.org", dir, "", location.postgresUrl),
              (ProgramRun{0, "revoked 2 tokens of ann@example.org\n"}));
    EXPECT_EQ(me(revoked), unknown);
}

// Every guess at ann from one address leaves her own sign-in from another one, and the
// passwords at the old cost of her first record, alone.
TEST_P(SignInAttackTest, AGuesserAtOneAddressLocksNoOneOutElsewhere) {
    store->setPasswordHash("ann@example.org", secrets::hashPassword("pw", {512, 8, 1}));
    for (int i = 0; i < 100; ++i) {
        // From many addresses: one may start only 30 sessions a minute.
        const std::string code = startSession("127.0.1." + std::to_string(i)).second;
        const int status =
            submitLogin(code, "ann%40example.org", "guess" + std::to_string(i), "127.0.0.2").status;
        ASSERT_EQ(status, i < SignInThrottle::freeFailures ? 401 : 429) << i;
    }
    const auto [id, code] = startSession();
    EXPECT_EQ(submitLogin(code, "ann%40example.org", "pw", "127.0.0.3").status, 200);
    EXPECT_EQ(me(json::parse(send("GET", sessions + id).body)["access_token"]), "ann@example.org");
    EXPECT_FALSE(secrets::needsRehash(store->account("ann@example.org")->passwordHash, cost));
}

INSTANTIATE_OVER_BOTH_STORES(SignInAttackTest);

} // namespace
