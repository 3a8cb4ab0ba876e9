// Every sentence the program can print, in one place.
#ifndef QUILLTURN_SRC_OBJECTS_PDF_MESSAGES_H_
#define QUILLTURN_SRC_OBJECTS_PDF_MESSAGES_H_

// Command line and job.
inline constexpr char kMsgErrorParameter[] = "Error parameter";
inline constexpr char kMsgUnexpected[] = "Unexpected exception";
inline constexpr char kMsgInvalidParameter[] = "Invalid parameter";
#define QT_MSG_INVALID_PAGE "Invalid page number %d"
#define QT_MSG_PAGE_GREATER "Page number %d greater than %d pages in file"
#define QT_MSG_RANGE_GREATER "Wrong page ranges, %d greater than %d pages in file"
#define QT_MSG_RANGE_ORDER "Wrong page ranges, start page %d > end page %d"
inline constexpr char kMsgInputOpen[] = "Input file open error";
inline constexpr char kMsgOutputCreate[] = "Output file create error";
inline constexpr char kMsgOutputWrite[] = "Output file write error";
inline constexpr char kMsgOutputIsInput[] = "Output file is the input file";
inline constexpr char kMsgOutputTooLarge[] = "Output file is too large";
inline constexpr char kMsgEncryptedObjStm[] = "Encrypted file with object streams is not supported";
inline constexpr char kMsgEncryptedDirect[] =
    "Encrypted file with a direct /Encrypt dictionary is not supported";
inline constexpr char kMsgDamaged[] = "PDF file was damaged";
// An update over damage the reader read around would leave every other reader to guess.
inline constexpr char kMsgUpdateDamaged[] =
    "PDF file was damaged; it can be copied without -incremental";

// An update keeps the input's sections, which -repair replaces.
inline constexpr char kMsgRepairIncremental[] = "-repair cannot be used with -incremental";

// Document reading.
inline constexpr char kMsgInputTooLarge[] = "Input file is too large";
inline constexpr char kMsgXRef[] = "Couldn't parse an xref";
inline constexpr char kMsgXRefStream[] = "Couldn't parse an xref stream";
inline constexpr char kMsgXRefTable[] = "Couldn't parse an xref table";
inline constexpr char kMsgTrailerType[] = "Trailer dictionary is wrong type";
inline constexpr char kMsgXRefSize[] = "Size of xref Stream is wrong type";
inline constexpr char kMsgXRefW[] = "W item of xref Stream is wrong type";
inline constexpr char kMsgXRefWLength[] = "W item of xref Stream is wrong length";
inline constexpr char kMsgXRefIndex[] = "Index item of xref Stream is wrong type";
inline constexpr char kMsgXRefEof[] = "Unexpected EOF while reading xref stream section";
inline constexpr char kMsgXRefEntryType[] =
    "Wrong type of xref XRefEntry while reading xref stream section";

// Parser and streams.
inline constexpr char kMsgMissingEndstream[] = "Missing 'endstream'";
inline constexpr char kMsgNesting[] = "Objects nested too deeply";

// Catalog and page tree.
inline constexpr char kMsgCatalogType[] = "Catalog CPdfObject is wrong type";
inline constexpr char kMsgPagesType[] = "Top-level pages CPdfObject is wrong type";
inline constexpr char kMsgPageCountType[] =
    "Page count in top-level pages CPdfObject is wrong type";
inline constexpr char kMsgKidsType[] = "Kids CPdfObject is wrong type";
inline constexpr char kMsgKidType[] = "Kid CPdfObject is wrong type";
inline constexpr char kMsgResources[] = "Resources are not found";
#define QT_MSG_ANNOTS "Page annotations object (page %d) is wrong type"

#endif  // QUILLTURN_SRC_OBJECTS_PDF_MESSAGES_H_
