// The section-logic tests' documents (description from text, data made from it), compiled once into this program.
#include "../FormDocuments.cpp"
