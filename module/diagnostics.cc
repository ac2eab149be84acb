/* Diagnostic lines and the Notes error line. */
#include <stdarg.h>
#include <stdio.h>

#include "module/quendrilax.h"

void PrintLine(const char *format, ...) {
  va_list args;
  va_start(args, format);
  vfprintf(stderr, format, args);
  va_end(args);
  fflush(stderr);
}

void PrintAPIError(STATUS status) {
  char text[200];
  text[0] = '\0';
  OSLoadString(NULLHANDLE, ERR(status), text, sizeof text);
  text[sizeof text - 1] = '\0';
  PrintLine("ERROR: Quandrilax API: %s\n", text);
}

void GetTDString(const TIMEDATE *time, char *text) {
  WORD length = 0;
  /* The status is not looked at: a failed conversion reports the length it
   * wrote, 0 when it wrote nothing, so the text is always terminated. */
  ConvertTIMEDATEToText(NULL, NULL, time, text, MAXALPHATIMEDATE, &length);
  if (length > MAXALPHATIMEDATE) length = MAXALPHATIMEDATE;
  text[length] = '\0';
}
