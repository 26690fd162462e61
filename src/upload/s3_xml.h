#pragma once

// The few S3 answers Mavren reads (an error document, a listing, the result of a batch
// deletion) as a small tree of elements, read by libxml2 without fetching anything it
// names. Names are local names: S3's namespace is dropped. Pure; safe from any thread.

#include <string>
#include <vector>

struct XmlElement {
    std::string name;
    std::string text;  // the element's own text, entities resolved
    std::vector<XmlElement> children;

    // The first child of that name, or null.
    const XmlElement* Child(const std::string& childName) const;
    // The text of the first child of that name, or the empty text.
    std::string ChildText(const std::string& childName) const;
};

// text as the content of an element of a document Mavren sends (a key in a deletion or a
// completion), with & < > " and ' escaped.
std::string XmlEscaped(const std::string& text);

// Reads an XML document into root; false when it is not well-formed XML.
bool ParseXml(const std::string& document, XmlElement& root);
