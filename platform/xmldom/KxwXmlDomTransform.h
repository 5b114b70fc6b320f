// XSL transforms with libxslt on copies of the source and the stylesheet (libxslt changes the trees it reads:
// white space stripping, for one). Stylesheets load nothing (no xsl:import, xsl:include or document()), read and
// write no files, reach no network, and recurse only so deep.
#pragma once

#include <libxml/tree.h>

#include <string>

// The output as text (UTF-8); false with the reason when the stylesheet or the transform failed.
bool xfbKxwXmlDomTransformToText(xmlNode* mptSource, xmlNode* mptStylesheet, std::string& mrdsOutput,
                                 std::string& mrdsError);
// The output as a new document the caller frees, or null with the reason.
xmlDoc* xfptKxwXmlDomTransformToDoc(xmlNode* mptSource, xmlNode* mptStylesheet, std::string& mrdsError);
