/* libkelo: the copilot's voice. One C entry point over espeak-ng.
 *
 *   int fnKELOspeak_Call(int command, int voice, int value3, int value4, const char* text);
 *
 * Commands:
 *   KELO_INITIALISE (0)  starts the library; the current directory is the
 *                        program folder, where kelolog_utf.txt is (re)started.
 *   KELO_SPEAK (1)       speaks `text` (Windows-1252, zero-terminated) with
 *                        voice `voice` (0 or an unknown number: the default
 *                        voice), volume `value3` in percent (0-100) and rate
 *                        `value4` on a 0-100 scale, 50 being normal speed.
 *                        Returns at once; the speech runs on a thread of the
 *                        library. A new speak request cuts the current one
 *                        short. When the environment variable KELO_WAV names
 *                        a file at the time of the call, the speech is written
 *                        there as a 16-bit mono WAV file instead of played.
 *   KELO_VOICE_PRESENT (5)  0 when voice `voice` (1-4) can be spoken.
 *   KELO_WAIT (6)        waits until nothing is queued or being spoken, at
 *                        most `value3` milliseconds (0 or less: no limit).
 *
 * Results: KELO_OK (0) or one of the KELO_ERR_ codes. No exception leaves the
 * library. The library keeps no pointer to `text` after the call returns;
 * the caller owns it. Every call is safe from any thread.
 */
#ifndef TALVANE_KELO_H
#define TALVANE_KELO_H

#ifndef TALVANE_EXPORT
#define TALVANE_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

enum {
  KELO_INITIALISE = 0,
  KELO_SPEAK = 1,
  KELO_VOICE_PRESENT = 5,
  KELO_WAIT = 6
};

enum {
  KELO_OK = 0,
  KELO_ERR_ARGUMENT = 1,  /* unknown command or missing text */
  KELO_ERR_NO_VOICE = 2,  /* the voice number names no voice, or espeak-ng lacks it */
  KELO_ERR_ENGINE = 3,    /* espeak-ng could not be started */
  KELO_ERR_TIMEOUT = 4,   /* KELO_WAIT: still speaking when the time ran out */
  KELO_ERR_INTERNAL = 5
};

TALVANE_EXPORT int fnKELOspeak_Call(int command, int voice, int value3, int value4, const char* text);

#ifdef __cplusplus
}
#endif

#endif
