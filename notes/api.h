/* The Notes C API functions that this project calls.
 *
 * Every function returning STATUS returns 0 on success and an error status
 * otherwise; OSLoadString gives an error's text. Handles are 16-bit and 0 is
 * none. */
#ifndef NOTES_API_H
#define NOTES_API_H

#include "notes/types.h"

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define LNPUBLIC __attribute__((visibility("default")))
#else
#define LNPUBLIC
#endif

/* Runtime: one NotesTerm per successful NotesInitExtended. */
LNPUBLIC STATUS NotesInitExtended(int argc, char **argv);
LNPUBLIC void NotesTerm(void);

/* Paths and databases. ret_path must hold MAXPATH bytes. */
LNPUBLIC STATUS OSPathNetConstruct(const char *port, const char *server, const char *file,
                                   char *ret_path);
LNPUBLIC STATUS NSFDbOpen(const char *path, DBHANDLE *ret_db);
LNPUBLIC STATUS NSFDbClose(DBHANDLE db);

/* Search: calls the action routine on the calling thread for each note of the
 * class mask, in ascending note-ID order, before it returns. A non-zero
 * result of the routine ends the search and is returned. since may be the
 * wildcard (both words 0xFFFFFFFF). */
LNPUBLIC STATUS NSFSearch(DBHANDLE db, FORMULAHANDLE formula, const char *view_title,
                          WORD search_flags, WORD note_class_mask, TIMEDATE *since,
                          NSFSEARCHPROC action, void *routine_parameter, TIMEDATE *ret_until);

/* Notes. */
LNPUBLIC STATUS NSFNoteOpenExt(DBHANDLE db, NOTEID note_id, DWORD open_flags,
                               NOTEHANDLE *ret_note);
LNPUBLIC STATUS NSFNoteClose(NOTEHANDLE note);
LNPUBLIC void NSFNoteGetInfo(NOTEHANDLE note, WORD selector, void *ret_value);

/* Items. Names are matched whole, without regard to case. */
LNPUBLIC STATUS NSFItemScan(NOTEHANDLE note, NSFITEMSCANPROC action, void *routine_parameter);
LNPUBLIC STATUS NSFItemInfo(NOTEHANDLE note, const char *name, WORD name_length,
                            BLOCKID *ret_item, WORD *ret_data_type, BLOCKID *ret_value,
                            DWORD *ret_value_length);
LNPUBLIC STATUS NSFItemInfoNext(NOTEHANDLE note, BLOCKID previous_item, const char *name,
                                WORD name_length, BLOCKID *ret_item, WORD *ret_data_type,
                                BLOCKID *ret_value, DWORD *ret_value_length);

/* Text lists: list points at a TYPE_TEXT_LIST value's data (prefix_data_type
 * 0) or at its leading data type word (prefix_data_type non-zero). */
LNPUBLIC STATUS ListGetText(const void *list, BOOL prefix_data_type, WORD entry_number,
                            char **ret_text, WORD *ret_text_length);

/* On-disk structures: converts `iterations` structures of `type` at *source
 * into dest and moves *source past them. */
LNPUBLIC void ODSReadMemory(void *source, WORD type, void *dest, WORD iterations);
LNPUBLIC WORD ODSLength(WORD type);

/* Objects and attachments. */
LNPUBLIC STATUS NSFDbGetObjectSize(DBHANDLE db, DWORD object_id, WORD object_type,
                                   DWORD *ret_size, WORD *ret_class, WORD *ret_privileges);
LNPUBLIC STATUS NSFNoteExtractFile(NOTEHANDLE note, BLOCKID item, const char *file_name,
                                   void *decryption_key);

/* Formulas: on a syntax error the call returns 0 and *ret_compile_error is
 * non-zero, with the error's place in the other outputs. */
LNPUBLIC STATUS NSFFormulaCompile(const char *formula_name, WORD formula_name_length,
                                  const char *formula_text, WORD formula_text_length,
                                  FORMULAHANDLE *ret_formula, WORD *ret_formula_length,
                                  STATUS *ret_compile_error, WORD *ret_compile_error_line,
                                  WORD *ret_compile_error_column,
                                  WORD *ret_compile_error_offset,
                                  WORD *ret_compile_error_length);

/* Date-time text: YYYY-MM-DDTHH:MM:SS.hhZ. */
LNPUBLIC STATUS ConvertTextToTIMEDATE(const void *intl_format, const void *text_format,
                                      char **text, WORD max_length, TIMEDATE *ret_time);
LNPUBLIC STATUS ConvertTIMEDATEToText(const void *intl_format, const void *text_format,
                                      const TIMEDATE *time, char *ret_text, WORD buffer_length,
                                      WORD *ret_text_length);

/* Views and collections. */
LNPUBLIC STATUS NIFFindDesignNoteExt(DBHANDLE db, const char *name, WORD note_class,
                                     const char *flags_pattern, NOTEID *ret_note_id,
                                     DWORD options);
LNPUBLIC STATUS NIFOpenCollection(DBHANDLE view_db, DBHANDLE data_db, NOTEID view_note_id,
                                  WORD open_flags, HANDLE unread_list,
                                  HCOLLECTION *ret_collection, NOTEHANDLE *ret_view_note,
                                  UNID *ret_view_unid, HANDLE *ret_collapsed_list,
                                  HANDLE *ret_selected_list);
LNPUBLIC STATUS NIFReadEntries(HCOLLECTION collection, COLLECTIONPOSITION *position,
                               WORD skip_navigator, DWORD skip_count, WORD return_navigator,
                               DWORD return_count, DWORD return_mask, HANDLE *ret_buffer,
                               WORD *ret_buffer_length, DWORD *ret_skipped,
                               DWORD *ret_returned, WORD *ret_signal_flags);
LNPUBLIC STATUS NIFCloseCollection(HCOLLECTION collection);

/* Memory handles: a locked handle's pointer stays valid until it is unlocked. */
LNPUBLIC void *OSLockObject(HANDLE handle);
LNPUBLIC BOOL OSUnlockObject(HANDLE handle);
LNPUBLIC STATUS OSMemFree(HANDLE handle);

/* The terminated text of an error number, cut to buffer_length - 1 bytes;
 * returns its length. */
LNPUBLIC WORD OSLoadString(HMODULE module, STATUS status, char *ret_buffer, WORD buffer_length);

#ifdef __cplusplus
}
#endif

#endif /* NOTES_API_H */
