/* The pronunciation player: plays one MP3 file at a time, asynchronously. */
#pragma once

#include <stdint.h>

#if defined(_WIN32)
#if defined(TAVELO_PLAYER_BUILD)
#define TAVELO_PLAYER_API __declspec(dllexport)
#else
#define TAVELO_PLAYER_API __declspec(dllimport)
#endif
#else
#define TAVELO_PLAYER_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Prepares the player; call once, on the thread that runs the application's event loop, after
   the Qt application object exists. The arguments are accepted and not interpreted.
   Returns 0 on success (also when already prepared), non-zero when no application exists,
   the call comes from another thread, or no media backend is available. */
TAVELO_PLAYER_API int pvInitMp3(intptr_t instance, intptr_t window, int a, int b, int c);

/* Starts playing the MP3 file at path (UTF-8) and returns at once; a playback still running
   is stopped. Returns 0 when playback was started, non-zero when the player is not prepared,
   the path is empty or names no file. A file that cannot be decoded is reported by the media
   backend later and simply stays silent. */
TAVELO_PLAYER_API int pvPlayMp3(const char* path);

/* Stops any playback and releases the player. Returns 0 when the player was released,
   non-zero when it was not prepared. pvInitMp3 may prepare it again afterwards. */
TAVELO_PLAYER_API int pvFreeMp3(void);

#ifdef __cplusplus
}
#endif
