#include "upload/s3_xml.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <climits>
#include <mutex>

namespace {

void Copy(const xmlNode* node, XmlElement& element) {
    element.name = reinterpret_cast<const char*>(node->name);
    for (const xmlNode* child = node->children; child != nullptr; child = child->next) {
        if (child->type == XML_ELEMENT_NODE) {
            element.children.emplace_back();
            Copy(child, element.children.back());
        } else if ((child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE) &&
                   child->content != nullptr) {
            element.text += reinterpret_cast<const char*>(child->content);
        }
    }
}

}  // namespace

const XmlElement* XmlElement::Child(const std::string& childName) const {
    for (const XmlElement& child : children) {
        if (child.name == childName) {
            return &child;
        }
    }
    return nullptr;
}

std::string XmlElement::ChildText(const std::string& childName) const {
    const XmlElement* child = Child(childName);
    return child != nullptr ? child->text : std::string();
}

bool ParseXml(const std::string& document, XmlElement& root) {
    root = XmlElement{};
    if (document.empty() || document.size() > INT_MAX) {
        return false;
    }
    // libxml2 sets itself up on first use, which is not safe from two threads at once.
    static std::once_flag initialized;
    std::call_once(initialized, [] { xmlInitParser(); });
    xmlDoc* parsed = xmlReadMemory(
        document.data(), static_cast<int>(document.size()), nullptr, nullptr,
        XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_NOCDATA);
    if (parsed == nullptr) {
        return false;
    }
    const xmlNode* top = xmlDocGetRootElement(parsed);
    if (top != nullptr) {
        Copy(top, root);
    }
    xmlFreeDoc(parsed);
    return top != nullptr;
}

std::string XmlEscaped(const std::string& text) {
    std::string escaped;
    for (const char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            case '\'':
                escaped += "&apos;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}
