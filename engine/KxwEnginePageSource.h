// The bytes of a page as the player fetched them (KxwEngineFetcher), and the charset they are in, found as the
// emulated browser finds it: a byte-order mark, else the response's Content-Type header, else a META element among
// the first bytes, else none (the document's default). UTF-16 pages are turned into UTF-8, which the page parser
// reads. Also the paths of file: URLs, which the fetcher reads.
#pragma once

#include <cstddef>
#include <string>

struct KxwEnginePageSource {
    std::string _dsUrl;
    std::string _dsBytes;
    // Canonical charset name, or empty when the page does not say.
    std::string _dsCharset;
    // Where the charset came from: "bom", "header", "meta" or empty.
    std::string _dsCharsetSource;
};

// The path a file: URL names (percent escapes decoded; host empty or "localhost"), or false when it is not one of
// this machine.
bool xfbKxwEngineFileUrlToPath(const std::string& mdsUrl, std::string* mpdsPath);

// Fills the charset fields from the bytes and the charset the response's header names (canonical, or empty), and
// converts a UTF-16 page to UTF-8.
void xfvKxwEngineSniffCharset(KxwEnginePageSource* mptSource, const std::string& mdsHeaderCharset = std::string());

// The charset a page is decoded in for a label: browsers read pages labelled ISO-8859-1 or US-ASCII as
// windows-1252 (its 0x80-0x9F are the typographic characters such pages meant); other labels as canonicalised by
// the platform; empty for an unknown label.
std::string xfdsKxwEngineCharsetForLabel(const char* mpsfLabel, size_t mnLen);

// The charset a META element in the first bytes names (<meta charset=...> or an http-equiv Content-Type whose
// content has charset=), canonical; empty when none is found or the name is unknown.
std::string xfdsKxwEnginePrescanMetaCharset(const char* mpsfBytes, size_t mnLen);
