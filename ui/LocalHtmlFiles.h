#pragma once

typedef struct _WebKitWebView WebKitWebView;

namespace pagrovix {

// Local ".html" and ".htm" files are HTML, whatever their content suggests. The engine takes a
// local file's type from the system's guess, which reads an XHTML doctype as XML, so pages that
// are not well-formed XML (most generated manuals) would show an XML error instead. Such a file's
// load is stopped when its type arrives and the file is shown again as HTML under its own address:
// the address, the back and forward lists and relative links stay those of the file. Only the
// main frame is mended. Must be called before any other handler of the view's "load-changed" and
// "load-failed" signals is connected, as it keeps the stopped load to itself; stays for the view's
// whole life.
void OpenLocalHtmlFilesAsHtml(WebKitWebView* view);

}  // namespace pagrovix
