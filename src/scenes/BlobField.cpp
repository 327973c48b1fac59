#include "scenes/BlobField.h"

std::vector<TBlob> Blobs;
Single BlobPhase = 0;
Single PrevBlobPhase = 0;

// Placeholders until the blob field is built.
void InitBlobs() {}
void DrawBlobField(Single, Single) {}
