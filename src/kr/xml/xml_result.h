#pragma once
// The outcome of reading an XML document: a code, and where in the text it arose. The reader
// never throws; callers look here to learn why they got the empty node.

#include <cstddef>
#include <cstdint>

// The longest text the reader takes: the tree refers to its text by 32-bit offsets.
constexpr size_t kMaxXmlText = UINT32_MAX - 2;

// Codes of the XML reader. 0 and 1 count as success; 16 to 21 belong to writing and Base64
// and are never produced by the reader, but keep their texts for callers that show them.
enum XmlErrorCode : int {
    kXmlNoError = 0,
    kXmlWarningUnmatchedEndTag = 1,
    kXmlNoXmlData = 2,
    kXmlFirstTokenNotStartTag = 3,
    kXmlMissingStartTagName = 4,
    kXmlMissingEndTagName = 5,
    kXmlUnmatchedQuote = 6,
    kXmlUnmatchedEndTag = 7,
    kXmlUnmatchedClearTagEnd = 8,
    kXmlUnexpectedToken = 9,
    kXmlInvalidTag = 10,
    kXmlNoElements = 11,
    kXmlFileNotFound = 12,
    kXmlFirstTagNotFound = 13,
    kXmlUnknownEntity = 14,
    kXmlUnicodeConversion = 15,
    kXmlCannotOpenForWriting = 16,
    kXmlCannotWrite = 17,
    kXmlBase64LengthWarning = 18,
    kXmlBase64IllegalChar = 19,
    kXmlBase64Truncated = 20,
    kXmlBase64BufferTooSmall = 21,
};

// Line and column count from 1; both are 0 when the failure has no place in the text (a file
// that cannot be read or converted).
struct XmlResult {
    int error = kXmlNoError;
    int line = 0;
    int column = 0;
};

// Whether a code lets the caller use the tree (no error, or only the end-tag warning).
inline bool XmlSucceeded(int code) {
    return code == kXmlNoError || code == kXmlWarningUnmatchedEndTag;
}

// The text of a code; "Unknown" for any code outside the table.
const char* XmlErrorText(int code);
