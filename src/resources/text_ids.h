#pragma once
// Identifiers of the string tables (texts_ja.rc, texts_en.rc, names.rc). The
// tables are read sixteen ids to a block, so each group starts a block of its
// own. A new text gets an id here and a line in both language tables.

// Menu labels and help texts of commands 0 to 15: the id plus the command.
#define IDS_COMMAND_LABEL 256
#define IDS_COMMAND_HELP 272

// The progress window and the steps of a copy.
#define IDS_STEP_SEARCHING 288
#define IDS_STEP_SEARCHING_ITEM 289 /* number, count, path */
#define IDS_STEP_SORTING 290
#define IDS_STEP_HASHING 291
#define IDS_STEP_BUILDING_TEXT 292
#define IDS_STEP_COPYING 293
#define IDS_STEP_WRITING_FILE 294
#define IDS_STEP_DONE 295
#define IDS_PROGRESS_ELAPSED 296 /* caption, seconds */
#define IDS_PROGRESS_CANCELLED 297 /* caption */
#define IDS_PROGRESS_CANCEL_BUTTON 298
#define IDS_HASH_FAILED_COLUMN 299

// Message boxes of a copy, the save fallback and its dialog.
#define IDS_UNEXPECTED_ERROR 304
#define IDS_OUT_OF_MEMORY 305
#define IDS_UNLISTED_FOLDER 306 /* folder */
#define IDS_UNLISTED_FOLDERS 307 /* count, first folder */
#define IDS_UNLISTED_FOLDERS_SHORT 308
#define IDS_ALLOCATION_FAILED 309
#define IDS_LOCK_FAILED 310
#define IDS_DATA_SIZE 311 /* first line, bytes */
#define IDS_CLIPBOARD_OPEN_FAILED 312
#define IDS_CLIPBOARD_SET_FAILED 313
#define IDS_SAVE_QUESTION 314
#define IDS_SAVE_TITLE 315
#define IDS_SAVE_FILTER 316 /* pairs of name and pattern, each ended by | */

// Self-registration's messages: the system's text, the key prefix, the key
// path and a suffix, put together in that order.
#define IDS_REGISTRY_KEY_PREFIX 320
#define IDS_REGISTRY_OPEN_FAILED 321
#define IDS_REGISTRY_DEFAULT_VALUE_FAILED 322
#define IDS_REGISTRY_THREADING_MODEL_FAILED 323
#define IDS_REGISTRY_SUBKEY 324
#define IDS_REGISTRY_DELETE_FAILED 325
#define IDS_CLASS_ID_TEXT_FAILED 326
#define IDS_MODULE_PATH_FAILED 327

// Texts of the language tables: [IDS_FIRST_TEXT, IDS_TEXT_END).
#define IDS_FIRST_TEXT 256
#define IDS_TEXT_END 336

// Names that no language changes (names.rc, language neutral): registry data.
#define IDS_HANDLER_NAME 512
#define IDS_FIRST_NAME 512
#define IDS_NAME_END 528
