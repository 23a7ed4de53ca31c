#pragma once

#include "mailsentences.h"
#include "wordindex.h"

#include <string>
#include <string_view>
#include <vector>

namespace backend {

/// One point of a drafted reply: a question or request of the message and the reply's answer.
struct ReplyPoint {
    std::string asked;
    std::string answer;
};

/// Whether `sentence` asks something of the reader: a question or a request.
[[nodiscard]] bool isAsked(std::string_view sentence);

/// The first dozen questions and requests among `sentences`, in text order, each quoted up to
/// a few hundred bytes and with its own answer: in English a commitment where the form of the
/// question allows one; otherwise the question in the sender's words, followed by the message's
/// own statement on the subject or the next step the writer of the reply will take.
[[nodiscard]] std::vector<ReplyPoint> replyPoints(const MailSentences& sentences,
                                                  const WordIndex& index);

} // namespace backend
