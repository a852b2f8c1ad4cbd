// HTTP over the WinINet interface, as the HTTP client library calls it: a session handle
// (InternetOpen), a connection to one host and port (InternetConnect), and one request on it
// (HttpOpenRequest), sent whole (HttpSendRequest) or pushed piece by piece (HttpSendRequestEx,
// InternetWriteFile, HttpEndRequest), then read (HttpQueryInfo, InternetReadFile).
//
// On the wire a request carries exactly: the request line, Host, User-Agent, "Accept: */*",
// the added headers in the order added, and Content-Length when it has a body. TLS peer and
// host checks are always on (system CA store; TAVORIN_HTTP_EXTRA_CA names one more CA file).
// Failures return NULL or FALSE and set the last error to the WinINet codes below. A
// handle is used by one thread at a time.
#pragma once

#include "platform/win32/windef.h"

typedef void* HINTERNET;
typedef WORD INTERNET_PORT;

#define INTERNET_OPEN_TYPE_PRECONFIG 0u
#define INTERNET_OPEN_TYPE_DIRECT 1u
#define INTERNET_OPEN_TYPE_PROXY 3u

#define INTERNET_DEFAULT_HTTP_PORT 80
#define INTERNET_DEFAULT_HTTPS_PORT 443
#define INTERNET_SERVICE_HTTP 3u

#define INTERNET_FLAG_RELOAD 0x80000000u
#define INTERNET_FLAG_NO_CACHE_WRITE 0x04000000u
#define INTERNET_FLAG_SECURE 0x00800000u
#define INTERNET_FLAG_KEEP_CONNECTION 0x00400000u
#define INTERNET_FLAG_RESYNCHRONIZE 0x00000800u
#define INTERNET_FLAG_HYPERLINK 0x00000400u
#define INTERNET_FLAG_NO_UI 0x00000200u
#define INTERNET_FLAG_PRAGMA_NOCACHE 0x00000100u

#define HTTP_ADDREQ_FLAG_ADD 0x20000000u

#define HTTP_QUERY_CONTENT_LENGTH 5u
#define HTTP_QUERY_STATUS_CODE 19u
#define HTTP_QUERY_STATUS_TEXT 20u
#define HTTP_QUERY_CUSTOM 65535u
#define HTTP_QUERY_FLAG_NUMBER 0x20000000u

#define FLAG_ICC_FORCE_CONNECTION 0x00000001u

#define ERROR_INTERNET_TIMEOUT 12002L
#define ERROR_INTERNET_INTERNAL_ERROR 12004L
#define ERROR_INTERNET_INVALID_URL 12005L
#define ERROR_INTERNET_NAME_NOT_RESOLVED 12007L
#define ERROR_INTERNET_OPERATION_CANCELLED 12017L
#define ERROR_INTERNET_INCORRECT_HANDLE_TYPE 12018L
#define ERROR_INTERNET_INCORRECT_HANDLE_STATE 12019L
#define ERROR_INTERNET_CANNOT_CONNECT 12029L
#define ERROR_INTERNET_CONNECTION_ABORTED 12030L
#define ERROR_INTERNET_CONNECTION_RESET 12031L
#define ERROR_INTERNET_SEC_CERT_CN_INVALID 12038L
#define ERROR_INTERNET_INVALID_CA 12045L
#define ERROR_HTTP_HEADER_NOT_FOUND 12150L
#define ERROR_HTTP_INVALID_SERVER_RESPONSE 12152L
#define ERROR_HTTP_REDIRECT_FAILED 12156L
#define ERROR_INTERNET_SECURITY_CHANNEL_ERROR 12157L

struct INTERNET_BUFFERSA {
  DWORD dwStructSize;  // sizeof(INTERNET_BUFFERSA)
  INTERNET_BUFFERSA* Next;
  LPCSTR lpcszHeader;
  DWORD dwHeadersLength;
  DWORD dwHeadersTotal;
  LPVOID lpvBuffer;
  DWORD dwBufferLength;
  DWORD dwBufferTotal;  // the body's whole length, sent as Content-Length
  DWORD dwOffsetLow;
  DWORD dwOffsetHigh;
};
typedef INTERNET_BUFFERSA* LPINTERNET_BUFFERSA;

/// Access type PRECONFIG takes proxies from http_proxy/https_proxy/all_proxy/no_proxy; DIRECT
/// uses none; PROXY uses the named one. Cache flags are accepted and have no effect.
HINTERNET InternetOpenA(LPCSTR agent, DWORD accessType, LPCSTR proxy, LPCSTR proxyBypass, DWORD flags);
/// Remembers host, port and account; nothing is sent until a request is.
HINTERNET InternetConnectA(HINTERNET internet, LPCSTR serverName, INTERNET_PORT port, LPCSTR userName,
                           LPCSTR password, DWORD service, DWORD flags, DWORD_PTR context);
/// INTERNET_FLAG_SECURE makes it https. The object name is sent as it stands, without fragment.
HINTERNET HttpOpenRequestA(HINTERNET connection, LPCSTR verb, LPCSTR objectName, LPCSTR version, LPCSTR referrer,
                           LPCSTR* acceptTypes, DWORD flags, DWORD_PTR context);
/// Adds "Name: value\r\n" lines (HTTP_ADDREQ_FLAG_ADD); a length of (DWORD)-1 means up to the zero.
BOOL HttpAddRequestHeadersA(HINTERNET request, LPCSTR headers, DWORD headersLength, DWORD modifiers);
/// Sends the request with the optional body and waits for the reply's headers. A GET follows
/// up to 10 redirects; a request with a body follows none.
BOOL HttpSendRequestA(HINTERNET request, LPCSTR headers, DWORD headersLength, LPVOID optional, DWORD optionalLength);
/// Starts a request whose body of buffersIn->dwBufferTotal bytes follows by InternetWriteFile.
BOOL HttpSendRequestExA(HINTERNET request, LPINTERNET_BUFFERSA buffersIn, LPINTERNET_BUFFERSA buffersOut,
                        DWORD flags, DWORD_PTR context);
/// Pushes body bytes. Writing past the announced total fails (12019) and drops the connection.
BOOL InternetWriteFile(HINTERNET request, LPCVOID buffer, DWORD toWrite, LPDWORD written);
/// Ends the body and waits for the reply's headers. Before the announced total was written it
/// fails (12019) and drops the connection.
BOOL HttpEndRequestA(HINTERNET request, LPINTERNET_BUFFERSA buffersOut, DWORD flags, DWORD_PTR context);
/// STATUS_CODE, STATUS_TEXT, CONTENT_LENGTH, or CUSTOM with the header's name in the buffer and
/// *index choosing among repeated headers (advanced on success). With HTTP_QUERY_FLAG_NUMBER
/// the answer is a DWORD. A short buffer fails with ERROR_INSUFFICIENT_BUFFER and the size
/// needed in *bufferLength; a missing header with ERROR_HTTP_HEADER_NOT_FOUND.
BOOL HttpQueryInfoA(HINTERNET request, DWORD infoLevel, LPVOID buffer, LPDWORD bufferLength, LPDWORD index);
/// Reads the body (chunked bodies arrive decoded); *read is 0 at its end.
BOOL InternetReadFile(HINTERNET request, LPVOID buffer, DWORD toRead, LPDWORD read);
/// Closes any handle; a request still running is dropped.
BOOL InternetCloseHandle(HINTERNET handle);
/// With FLAG_ICC_FORCE_CONNECTION: TRUE when a TCP connection to the URL's host and port can be made.
BOOL InternetCheckConnectionA(LPCSTR url, DWORD flags, DWORD reserved);

#define InternetOpen InternetOpenA
#define InternetConnect InternetConnectA
#define HttpOpenRequest HttpOpenRequestA
#define HttpAddRequestHeaders HttpAddRequestHeadersA
#define HttpSendRequest HttpSendRequestA
#define HttpSendRequestEx HttpSendRequestExA
#define HttpEndRequest HttpEndRequestA
#define HttpQueryInfo HttpQueryInfoA
#define InternetCheckConnection InternetCheckConnectionA
typedef INTERNET_BUFFERSA INTERNET_BUFFERS;
