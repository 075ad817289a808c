/* The pronunciation player: plays one MP3 file at a time, asynchronously. */
#pragma once

#include <stdint.h>

#define TAVELO_PLAYER_API __attribute__((visibility("default")))

#ifdef __cplusplus
extern "C" {
#endif

/* Prepares the player. Call it after the Qt application object exists; all calls must then come
   from the same thread (the program's GUI thread), others are refused. The arguments are accepted
   and not interpreted. Decoding and output run on a thread of the player's own, so no call waits
   for the sound server; the stream to the server is opened here and kept open between recordings,
   so a recording is heard within a few tens of milliseconds of its play call. Returns 0 on success
   (also when already prepared), non-zero when no application object exists or the call comes from
   another thread. */
TAVELO_PLAYER_API int pvInitMp3(intptr_t instance, intptr_t window, int a, int b, int c);

/* Plays the MP3 file at path (UTF-8) and returns at once; any playback still running ends. The
   file is read during the call, so it may be rewritten as soon as the call has returned. Returns
   0 when the recording was handed on for playing, non-zero when the player is not prepared or
   the path names no readable, non-empty file. A recording that cannot be decoded stays silent, and
   so does every recording while no sound server can be reached. */
TAVELO_PLAYER_API int pvPlayMp3(const char* path);

/* Ends any playback and releases the player. Returns 0 when the player was released, non-zero
   when it was not prepared. pvInitMp3 may prepare it again afterwards. */
TAVELO_PLAYER_API int pvFreeMp3(void);

#ifdef __cplusplus
}
#endif
