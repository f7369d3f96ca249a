// Reporter warnings: a step of a report failed, the report goes on.
#pragma once

enum TQuillonLogErrorCode {
  eeNone,
  eeShowError,
  eeLogError,
  eeEmailMAPIError,
  eeEmailShellError,
  eeEmailSMTPError,
  eeWebHTTPError,
  eeWebHTTPSError,
  eeWebFTPError,
};

// "eeLogError" and so on, for the warning line of the debugger output.
const char* QuillonLogErrorName(TQuillonLogErrorCode code);
