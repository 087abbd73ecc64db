/* Settings library: filled in as its parts land. */
