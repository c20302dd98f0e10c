#pragma once
// Identifiers of the string tables (texts_ja.rc, texts_en.rc, names.rc). The
// tables are read sixteen ids to a block, so each group starts a block of its
// own. A new text gets an id here and a line in both language tables.

// Menu labels and help texts of the commands: the id plus the command's
// number, with room for 64 commands.
#define IDS_COMMAND_LABEL 256
#define IDS_COMMAND_HELP 320
#define IDS_COMMAND_ROOM 64

// The progress window and the steps of a copy.
#define IDS_STEP_SEARCHING 384
#define IDS_STEP_SEARCHING_ITEM 385 /* number, count, path */
#define IDS_STEP_SORTING 386
#define IDS_STEP_HASHING 387
#define IDS_STEP_BUILDING_TEXT 388
#define IDS_STEP_COPYING 389
#define IDS_STEP_WRITING_FILE 390
#define IDS_STEP_DONE 391
#define IDS_PROGRESS_ELAPSED 392 /* caption, seconds */
#define IDS_PROGRESS_CANCELLED 393 /* caption */
#define IDS_PROGRESS_CANCEL_BUTTON 394
#define IDS_HASH_FAILED_COLUMN 395

// Message boxes of a copy, the save fallback and its dialog.
#define IDS_UNEXPECTED_ERROR 400
#define IDS_OUT_OF_MEMORY 401
#define IDS_UNLISTED_FOLDER 402 /* folder */
#define IDS_UNLISTED_FOLDERS 403 /* count, first folder */
#define IDS_UNLISTED_FOLDERS_SHORT 404
#define IDS_ALLOCATION_FAILED 405
#define IDS_LOCK_FAILED 406
#define IDS_DATA_SIZE 407 /* first line, bytes */
#define IDS_CLIPBOARD_OPEN_FAILED 408
#define IDS_CLIPBOARD_SET_FAILED 409
#define IDS_SAVE_QUESTION 410
#define IDS_SAVE_TITLE 411
#define IDS_SAVE_FILTER 412 /* pairs of name and pattern, each ended by | */
#define IDS_ONLINE_ONLY_FILE 413 /* file */
#define IDS_ONLINE_ONLY_FILES 414 /* count, first file */
#define IDS_ONLINE_ONLY_FILES_SHORT 415

// Self-registration's messages: the system's text, the key prefix, the key
// path and a suffix, put together in that order.
#define IDS_REGISTRY_KEY_PREFIX 416
#define IDS_REGISTRY_OPEN_FAILED 417
#define IDS_REGISTRY_DEFAULT_VALUE_FAILED 418
#define IDS_REGISTRY_THREADING_MODEL_FAILED 419
#define IDS_REGISTRY_SUBKEY 420
#define IDS_REGISTRY_DELETE_FAILED 421
#define IDS_CLASS_ID_TEXT_FAILED 422
#define IDS_MODULE_PATH_FAILED 423

// The checksum commands: the Windows 11 menu's options entry, their steps,
// the Save dialog of a checksum file, their boxes, and the statuses of a
// verified file.
#define IDS_OPTIONS_ENTRY 432
#define IDS_STEP_READING_CHECKSUM_FILE 433
#define IDS_STEP_READING_CLIPBOARD 434
#define IDS_STEP_LOCATING_FILES 435
#define IDS_STEP_VERIFYING 436
#define IDS_STEP_WRITING_CHECKSUM_FILE 437
#define IDS_CHECKSUM_SAVE_TITLE 438
#define IDS_CHECKSUM_SAVE_FILTER 439 /* pairs of name and pattern, each ended by | */
#define IDS_REPLACE_QUESTION 440 /* file name */
#define IDS_UNREAD_FILE 441 /* file */
#define IDS_UNREAD_FILES 442 /* count, first file */
#define IDS_UNLISTED_FOLDER_IN_LIST 443 /* folder */
#define IDS_UNLISTED_FOLDERS_IN_LIST 444 /* count, first folder */
#define IDS_CHECKSUM_FILE_NOT_SAVED 445 /* file; the system's text follows */
#define IDS_CHECKSUM_FILE_NOT_READ 446 /* file; the system's text follows */
#define IDS_NO_DIGEST_ON_CLIPBOARD 447
#define IDS_NO_DIGEST_IN_CHECKSUM_FILE 448
#define IDS_NOTHING_TO_VERIFY 449
#define IDS_STATUS_MATCH 450
#define IDS_STATUS_MISMATCH 451
#define IDS_STATUS_NOT_FOUND 452
#define IDS_STATUS_UNREADABLE 453
#define IDS_STATUS_NOT_LISTED 454
#define IDS_ALL_MATCHED 455 /* count */
#define IDS_SOME_DIFFER 456
#define IDS_STATUS_COUNT 457 /* status, count */
#define IDS_EXPECTED_DIGEST 458 /* digest */
#define IDS_COMPUTED_DIGEST 459 /* digest */
#define IDS_COPY_REPORT_QUESTION 460

// Menu entries that hold commands but are no command themselves.
#define IDS_PATH_FORM_ENTRY 461

// Texts of the language tables: [IDS_FIRST_TEXT, IDS_TEXT_END).
#define IDS_FIRST_TEXT 256
#define IDS_TEXT_END 464

// Names that no language changes (names.rc, language neutral): registry data.
#define IDS_HANDLER_NAME 512
#define IDS_FIRST_NAME 512
#define IDS_NAME_END 528
