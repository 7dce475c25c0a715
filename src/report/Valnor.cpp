// The report engine core "valnor": views, bands, pages, streams, the band engine and the prepared
// pages store, with expressions, datasets and formatting in expr/ and the pure writers in export/.
// It depends on the platform layer only; nothing here includes Qt.
