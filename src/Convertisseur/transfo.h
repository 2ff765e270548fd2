// Conversion of an XML instance into the instance text format.
//
// One pass over the input and no model: each tag is read, turned into one
// line of output and forgotten.  The blocks are converted in a fixed order,
// each block function running the next one as its last step, so a block that
// gives up ends the later blocks as well.  Problems are reported by French
// messages on the standard output; none of them ends the process.
#pragma once

#include <string>

// Where the reader's XML step writes the converted instance.
#define FICHIER_CONVERTI "./ficConverti.txt"

// Converts the XML instance `nameFileIn` into the text file `nameFileOut`
// (created, or emptied first).  False when `nameFileOut` could not be opened
// or some of its bytes could not be written.
bool transfoXML(const std::string& nameFileIn, const std::string& nameFileOut);

// The reader's XML step: converts the XML instance `nom` into
// FICHIER_CONVERTI.  Ends the process with status 1 when that file cannot be
// opened afterwards.
void convertirXML(const char* nom);

// The steps of the conversion, on the input and output of the conversion
// that transfoXML runs; `pos` is the element's place in its block.
void transfoPresentation();
void transfoDomains();
void transfoDomain(int pos);
void transfoVariables();
void transfoVariable(int pos);
void transfoRelations();
void transfoRelation(int pos);
void transfoConstraints();
void transfoConstraint();

// The numbers of the words of a list such as "V0 V1" ("0 1 "), each followed
// by one space; `arite` receives the number of words.
std::string extraireNumElt(const std::string& chaine, int* arite);

// The pieces of a tuple list such as "(0,1)(1,2)" ("0 1 1 2 "): `chaine` cut
// at every run of '(' ',' ')', each piece followed by one space.
std::string extractTuples(const std::string& chaine);
