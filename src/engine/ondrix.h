/* libondrix: the speech recognition engine. One C entry point.
 *
 *   int32_t fnOndrixDLL_Call(SREC_COMMAND_OBJECT* command);
 *
 * The host fills a command record and passes its address; every command
 * runs to its end in the calling thread. The library keeps one recogniser
 * per process. Only SR_TERMINATE may come from a second thread while a
 * recognition runs: it stops the recognition, waits until RECOGNIZE has
 * returned in the other thread, then tears the recogniser down.
 *
 * Commands and results are listed below. INIT works on the current
 * directory as the program folder (or its Grammars folder, or the simulator
 * folder the program is installed two folders below) and leaves it at the
 * program folder. A RECOGNIZE with a null CmdAggregate answers "|0000" in a
 * buffer of 7 UTF-16 code units allocated with malloc, which the caller
 * owns and frees.
 *
 * ONDRIX_TRACE=stderr, or =FILE, writes the library's trace there.
 */
#ifndef TALVANE_ONDRIX_H
#define TALVANE_ONDRIX_H

#include <stdint.h>
#ifndef __cplusplus
#include <uchar.h>
#endif

#ifndef TALVANE_EXPORT
#define TALVANE_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* UTF-16 code units the result buffer holds, its terminating zero included. */
#define SR_AGGREGATE_SIZE 2048

typedef struct {
  int32_t CmdCode;
  uint32_t CmdConfidence;  /* out: 0-10000, 0 when nothing was recognised */
  char16_t* CmdAggregate;  /* in: the caller's buffer of SR_AGGREGATE_SIZE units, or null; out: the command text */
} SREC_COMMAND_OBJECT;

enum {
  SR_INIT = 0,
  SR_RECOGNIZE = 1,
  SR_ACTIVATE_RULES = 3,
  SR_DEACTIVATE_RULES = 4,
  SR_TERMINATE = 5
};

enum {
  SR_OK = 0,
  SR_FAILED = -96,          /* a step failed; the recogniser was torn down (state 5) */
  SR_RULES_FAILED = -97,    /* activating or deactivating the rule list failed */
  SR_WRONG_STATE = -98,     /* the command is not allowed in the current state */
  SR_COPY_BACK_FAILED = -99,
  SR_NO_MODEL = -100        /* no command record, or the language model cannot be read */
};

TALVANE_EXPORT int32_t fnOndrixDLL_Call(SREC_COMMAND_OBJECT* command);

#ifdef __cplusplus
}
#endif

#endif
