#pragma once

#include "mailsentences.h"
#include "wordindex.h"

#include <string>
#include <vector>

namespace backend {

/// One point of a drafted reply: a question or request of the message and the reply's answer.
struct ReplyPoint {
    std::string asked;
    std::string answer;
};

/// Every question and request among `sentences`, in text order, each with its own answer:
/// a commitment where the form of the question allows one, else the message's own statement
/// on the subject, else the next step the writer of the reply will take.
[[nodiscard]] std::vector<ReplyPoint> replyPoints(const MailSentences& sentences,
                                                  const WordIndex& index);

} // namespace backend
