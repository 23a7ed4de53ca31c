-- A data folder's store as the previous release left it (schema version 3): an account with
-- a token, a chat and a training pair that an upgrade must keep.
CREATE TABLE schema_version(version INTEGER NOT NULL);
INSERT INTO schema_version VALUES(3);
CREATE TABLE accounts(
    email TEXT PRIMARY KEY, name TEXT NOT NULL, password_hash TEXT NOT NULL,
    failed_logins INTEGER NOT NULL DEFAULT 0, locked_until INTEGER NOT NULL DEFAULT 0);
CREATE TABLE signin_sessions(
    id_hash TEXT PRIMARY KEY, expires_at INTEGER NOT NULL, email TEXT,
    login_code_hash TEXT, created_at INTEGER NOT NULL DEFAULT 0);
CREATE UNIQUE INDEX signin_sessions_login_code ON signin_sessions(login_code_hash);
CREATE TABLE tokens(
    token_hash TEXT PRIMARY KEY, email TEXT NOT NULL REFERENCES accounts(email),
    created_at INTEGER NOT NULL, last_used_at INTEGER);
CREATE INDEX tokens_email ON tokens(email);
CREATE TABLE chats(
    thread_id TEXT PRIMARY KEY, assistant_id TEXT NOT NULL, email TEXT NOT NULL,
    content TEXT NOT NULL);
CREATE TABLE chat_turns(
    id INTEGER PRIMARY KEY, thread_id TEXT NOT NULL REFERENCES chats(thread_id),
    question TEXT NOT NULL, answer TEXT NOT NULL);
CREATE TABLE training_pairs(
    id INTEGER PRIMARY KEY, email TEXT NOT NULL, question TEXT NOT NULL,
    answer TEXT NOT NULL, created_at INTEGER NOT NULL);
INSERT INTO accounts(email, name, password_hash) VALUES('ann@example.org', 'Ann Lee', 'x');
INSERT INTO tokens VALUES('0123456789abcdef', 'ann@example.org', 1765000000, NULL);
INSERT INTO chats VALUES('thread-1', 'assistant-1', 'ann@example.org', 'Lyon trip');
INSERT INTO chat_turns(thread_id, question, answer) VALUES('thread-1', 'When?', 'Friday.');
INSERT INTO training_pairs(email, question, answer, created_at)
    VALUES('ann@example.org', 'Q', 'A', 1765000000);
