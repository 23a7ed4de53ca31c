#pragma once

#include "draftcounter.h"
#include "engine.h"

namespace backend {

/// The embedded engine: ranks the message's own sentences, n log n. It computes on the calling
/// thread and completes before it returns. Its answers follow from the message alone, except
/// that each further reply to one mail for one person is worded anew round the same points.
class ExtractiveEngine final : public Engine {
public:
    [[nodiscard]] std::string summarize(const std::string& mail);
    /// The `draft`-th reply (from 0) to `mail`.
    [[nodiscard]] std::string reply(const std::string& mail, const std::string& userName,
                                    std::size_t draft = 0);
    [[nodiscard]] std::string chat(const std::string& mail, const std::string& question);

    void summarize(const std::string& mail, Done done) override { done(summarize(mail)); }
    void reply(const std::string& mail, const std::string& userName, Done done) override {
        done(reply(mail, userName, drafts_.next(userName, mail)));
    }
    void chat(const std::string& mail, const std::string& question, Done done) override {
        done(chat(mail, question));
    }

private:
    DraftCounter drafts_;
};

} // namespace backend
