#include "migrations.h"

namespace backend {

const std::vector<Migration>& migrations() {
    static const std::vector<Migration> steps = {
        // The schema as the first releases made it, which counted no versions.
        {1, R"sql(
            CREATE TABLE accounts(
                email TEXT PRIMARY KEY, name TEXT NOT NULL, password_hash TEXT NOT NULL,
                failed_logins INTEGER NOT NULL DEFAULT 0, locked_until INTEGER NOT NULL DEFAULT 0);
            CREATE TABLE signin_sessions(
                id_hash TEXT PRIMARY KEY, expires_at INTEGER NOT NULL, email TEXT);
            CREATE TABLE tokens(
                token_hash TEXT PRIMARY KEY, email TEXT NOT NULL REFERENCES accounts(email),
                created_at INTEGER NOT NULL);
            CREATE TABLE chats(
                thread_id TEXT PRIMARY KEY, assistant_id TEXT NOT NULL, email TEXT NOT NULL,
                content TEXT NOT NULL);
            CREATE TABLE chat_turns(
                id INTEGER PRIMARY KEY, thread_id TEXT NOT NULL REFERENCES chats(thread_id),
                question TEXT NOT NULL, answer TEXT NOT NULL);
            CREATE TABLE training_pairs(
                id INTEGER PRIMARY KEY, email TEXT NOT NULL, question TEXT NOT NULL,
                answer TEXT NOT NULL, created_at INTEGER NOT NULL);
        )sql"},
        // The login link carries its own code, apart from the id the client polls with.
        {2, R"sql(
            ALTER TABLE signin_sessions ADD COLUMN login_code_hash TEXT;
            ALTER TABLE signin_sessions ADD COLUMN created_at INTEGER NOT NULL DEFAULT 0;
            CREATE UNIQUE INDEX signin_sessions_login_code ON signin_sessions(login_code_hash);
        )sql"},
        // Tokens end: by age, checked on use, and by revocation, which finds them by account.
        {3, R"sql(
            ALTER TABLE tokens ADD COLUMN last_used_at INTEGER;
            CREATE INDEX tokens_email ON tokens(email);
        )sql"},
        // Failed sign-ins per account and address, and per login code, shared by instances;
        // the counts on accounts are no longer read.
        {4, R"sql(
            CREATE TABLE login_failures(
                throttle_key TEXT PRIMARY KEY, failures INTEGER NOT NULL,
                window_start INTEGER NOT NULL, locked_until INTEGER NOT NULL);
        )sql"},
    };
    return steps;
}

} // namespace backend
