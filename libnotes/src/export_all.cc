// libnotes.so is notescore linked whole; this file gives the target a source.
