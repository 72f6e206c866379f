TALVERO sample volume
