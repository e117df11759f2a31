/* libgrisk: the grammar compiler. One C entry point.
 *
 *   int fnBinCompile_Call(int command, int value2, int value3);
 *
 * Commands:
 *   GRISK_INITIALISE (0)  prepares the library; nothing is read or written.
 *   GRISK_COMPILE (1)     compiles every grammar source (*.bnf) of the
 *                         Grammars folder of the current directory (value2 0),
 *                         or of Grammars/Test (value2 1), into one .bgm per
 *                         source beside it, and for Grammars writes
 *                         Data/RuleList.dat from the !activatable rules of
 *                         ChecklistResponses.bnf. value3 is not used (the
 *                         program passes 1). Reports to grmcmplog.txt in the
 *                         compiled folder. On any error nothing is replaced:
 *                         the .bgm files and the rule list stay as they were.
 *   GRISK_SHUTDOWN (2)    releases the library.
 *
 * Results: GRISK_OK (0) or a GRISK_ERR_ code. No exception leaves the library.
 * The phonemizer helper grisk-g2p is run from the library's own folder.
 */
#ifndef TALVANE_GRISK_H
#define TALVANE_GRISK_H

#ifndef TALVANE_EXPORT
#define TALVANE_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

enum { GRISK_INITIALISE = 0, GRISK_COMPILE = 1, GRISK_SHUTDOWN = 2 };

enum {
  GRISK_OK = 0,
  GRISK_ERR_GRAMMAR = 1,     /* a source has errors (the log lists them) */
  GRISK_ERR_NO_SOURCES = 2,  /* the folder is missing or holds no .bnf file */
  GRISK_ERR_IO = 3,          /* a file could not be read or written */
  GRISK_ERR_MODEL = 4,       /* the language model or its dictionary cannot be used */
  GRISK_ERR_ARGUMENT = 5,    /* unknown command or value */
  GRISK_ERR_INTERNAL = 6
};

TALVANE_EXPORT int fnBinCompile_Call(int command, int value2, int value3);

#ifdef __cplusplus
}
#endif

#endif
