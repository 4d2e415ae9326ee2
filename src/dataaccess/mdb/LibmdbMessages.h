#pragma once
#include <QString>

namespace accessdb::mdb {

// libmdb writes its complaints in English to the C stream stderr. While a MessageCapture lives,
// that stream is a buffer of ours instead, so a run shows only the program's own lines. Swapping
// the stream pointer costs no system call, so a capture can wrap every row. The Access layer is
// used from one thread; captures nest.
class MessageCapture {
public:
    MessageCapture();
    ~MessageCapture();
    MessageCapture(const MessageCapture&) = delete;
    MessageCapture& operator=(const MessageCapture&) = delete;
};

// True when libmdb wrote something since the last take (a size test).
bool libmdbMessagesPending();
// What libmdb wrote since the last take, one complaint per line, and forgets it.
QString takeLibmdbMessages();

// A complaint in German: the ones that mean damaged data get their own text, others are quoted.
QString germanLibmdbMessage(const QString& line);

}  // namespace accessdb::mdb
