#pragma once
// Qt's own messages in the headless analyzer. The offscreen platform and a session without a
// desktop (no runtime folder) comment on every run; that chatter is dropped so that standard
// error carries the analyzer's messages. Everything else, and every real error, goes through.
namespace tamsel {

// Installs a message handler that drops the chatter and hands the rest to Qt's handler.
void quietPlatformMessages();

} // namespace tamsel
