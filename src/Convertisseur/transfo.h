// Conversion of an XML instance into the instance text format.
#pragma once

// Where the reader's XML step writes the converted instance.
#define FICHIER_CONVERTI "./ficConverti.txt"

// The reader's XML step: converts the XML instance `nom` into FICHIER_CONVERTI.
void convertirXML(const char* nom);
