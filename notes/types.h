/* Types, structures and constants of the Notes C API that this project uses.
 *
 * Written for this project from what the module and the stand-in library need;
 * everything here is plain C so that both C and C++ callers can include it.
 * Structures are the in-memory ("host") forms; ODSReadMemory converts the
 * little-endian on-disk forms into them. */
#ifndef NOTES_TYPES_H
#define NOTES_TYPES_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int BOOL;

/* Every handle is a 16-bit number; 0 means none. */
typedef WORD HANDLE;
typedef WORD DHANDLE;
typedef WORD DBHANDLE;
typedef WORD NOTEHANDLE;
typedef WORD FORMULAHANDLE;
typedef WORD HCOLLECTION;
typedef WORD HMODULE;
#define NULLHANDLE ((HANDLE)0)

/* 0 is success; the low 14 bits are the error number. */
typedef WORD STATUS;
#define NOERROR ((STATUS)0)
#define ERR_MASK 0x3fff
#define ERR(status) ((STATUS)((status) & ERR_MASK))

typedef DWORD NOTEID;

/* Innards[0]: hundredths of a second since midnight UTC, Innards[1]: Julian
 * day number (2440588 is 1970-01-01). 0xFFFFFFFF in a word means "no time"
 * or "no date"; both words 0xFFFFFFFF is the wildcard. */
typedef struct {
  DWORD Innards[2];
} TIMEDATE;
#define TIMEDATE_NONE 0xFFFFFFFFu

/* The universal note ID: a File part and a Note part. */
typedef struct {
  TIMEDATE File;
  TIMEDATE Note;
} UNID;

typedef struct {
  TIMEDATE File;
  TIMEDATE Note;
  DWORD Sequence;
  TIMEDATE SequenceTime;
} ORIGINATORID;

typedef struct {
  TIMEDATE File;
  TIMEDATE Note;
  NOTEID NoteID;
} GLOBALINSTANCEID;

/* What NSFSearch hands to its action routine for each note. */
typedef struct {
  GLOBALINSTANCEID ID;
  ORIGINATORID OriginatorID;
  WORD NoteClass;
  BYTE SERetFlags;
  BYTE Privileges;
  WORD Reserved;
} SEARCH_MATCH;
#define SE_FMATCH 0x01 /* the note satisfies the search's formula */

/* Identifies one item of an open note; passed by value. */
typedef struct {
  DHANDLE pool;
  WORD block;
} BLOCKID;

/* A position in a collection: 132 bytes. */
#define MAXTUMBLERLEVELS 32
typedef struct {
  WORD Level;
  BYTE MinLevel;
  BYTE MaxLevel;
  DWORD Tumbler[MAXTUMBLERLEVELS];
} COLLECTIONPOSITION;

/* Note classes. */
#define NOTE_CLASS_DOCUMENT 0x0001
#define NOTE_CLASS_VIEW 0x0008

/* NSFNoteGetInfo selectors. */
#define _NOTE_ID 1       /* NOTEID */
#define _NOTE_OID 2      /* ORIGINATORID */
#define _NOTE_CLASS 3    /* WORD */
#define _NOTE_MODIFIED 4 /* TIMEDATE */

/* Item data types: the WORD that leads every item value. */
#define TYPE_COMPOSITE 0x0001
#define TYPE_OBJECT 0x0003
#define TYPE_HTML 0x0015
#define TYPE_NUMBER 0x0300
#define TYPE_NUMBER_RANGE 0x0301
#define TYPE_TIME 0x0400
#define TYPE_TIME_RANGE 0x0401
#define TYPE_TEXT 0x0500
#define TYPE_TEXT_LIST 0x0501

/* On-disk structure types for ODSReadMemory and ODSLength. */
#define _WORD 0
#define _DWORD 1
#define _OBJECT_DESCRIPTOR 27
#define _FILEOBJECT 58
#define _TEXT_RUN 113     /* WORD signature, WORD length, DWORD font */
#define _STYLED_TEXT 117  /* WORD signature, WORD length, 6 bytes of style */
#define _COUNTED_TEXT 561 /* WORD signature, WORD length, WORD text length, 6 reserved */

typedef struct {
  WORD ObjectType; /* 0: a file object */
  DWORD RRV;       /* the object's ID in the database */
} OBJECT_DESCRIPTOR;
#define OBJECT_FILE 0

typedef struct {
  OBJECT_DESCRIPTOR Header;
  WORD FileNameLength;
  WORD HostType;
  WORD CompressionType;
  WORD Flags;
  DWORD FileSize;
  TIMEDATE FileCreated;
  TIMEDATE FileModified;
} FILEOBJECT; /* the stored file name follows on disk */
#define HOST_MASK 0x0F00

typedef struct {
  WORD Signature;
  WORD Length;
} WORD_RECORD_HEADER;

typedef struct {
  WORD_RECORD_HEADER Header;
  DWORD FontID;
} TEXT_RUN;

typedef struct {
  WORD_RECORD_HEADER Header;
  BYTE Style[6];
} STYLED_TEXT;

typedef struct {
  WORD_RECORD_HEADER Header;
  WORD TextLength;
  BYTE Reserved[6];
} COUNTED_TEXT;

/* Rich-text record signatures that carry text. */
#define SIG_TEXT_RUN 0xFF85
#define SIG_TEXT_RUN_ALT 0xFFE4
#define SIG_STYLED_TEXT 0xFF8E
#define SIG_COUNTED_TEXT 0xFFCA
#define SIG_COUNTED_TEXT_ALT 0xFFF8

/* Collections. */
#define NAVIGATE_NEXT 1
#define READ_MASK_NOTEID 0x00000001
#define SIGNAL_MORE_TO_DO 0x0020
#define NOTEID_CATEGORY 0x80000000u

/* Status numbers that callers test for by value. */
#define ERR_ITEM_NOT_FOUND 546 /* 0x0222: no (further) item of that name */

/* Buffer sizes. */
#define MAXPATH 256
#define MAXALPHATIMEDATE 80

typedef STATUS (*NSFSEARCHPROC)(void *routine_parameter, SEARCH_MATCH *match,
                                void *summary_buffer);
typedef STATUS (*NSFITEMSCANPROC)(WORD spare, WORD item_flags, char *name,
                                  WORD name_length, void *value, DWORD value_length,
                                  void *routine_parameter);

#ifdef __cplusplus
}
#endif

#endif /* NOTES_TYPES_H */
