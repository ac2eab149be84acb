/* The Notes C API as this project uses it: include this one header. */
#ifndef NOTES_NOTES_H
#define NOTES_NOTES_H

#include "notes/types.h"
#include "notes/api.h"

#endif /* NOTES_NOTES_H */
