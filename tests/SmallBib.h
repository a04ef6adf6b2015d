#pragma once

// The small .bib text the window tests share.
#include <QByteArray>

namespace QfTest {

// Two small entries: an article (knuth84) and a book (lamport94).
inline const QByteArray kSmallBib = "@article{knuth84,\n"
                                    "  author = {Donald E. Knuth},\n"
                                    "  title = {Literate Programming},\n"
                                    "  journal = {The Computer Journal},\n"
                                    "  year = 1984\n"
                                    "}\n\n"
                                    "@book{lamport94,\n"
                                    "  author = {Leslie Lamport},\n"
                                    "  title = {{\\LaTeX}: A Document Preparation System},\n"
                                    "  publisher = {Addison-Wesley},\n"
                                    "  year = 1994\n"
                                    "}\n";

} // namespace QfTest
